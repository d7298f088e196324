#pragma once
// Helpers for tests that run under Wine: programs next to the test, processes driven through
// their boxes, and small file and registry set-up helpers.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui_driver.h"

// The folder of the running test executable, ending in a backslash; every program of the
// build (purgon.exe, test doubles, tools) lies there.
std::string BinDir();
std::string PurgonPath();

// A thread of the test on the Windows thread calls (the program's thread model has no
// std::thread): runs `body` at once; join() waits for it to end, and so does the destructor.
class TestThread {
 public:
  explicit TestThread(std::function<void()> body);
  ~TestThread();
  TestThread(const TestThread&) = delete;
  TestThread& operator=(const TestThread&) = delete;
  void join();

 private:
  static DWORD WINAPI Run(void* self);
  std::function<void()> body_;
  HANDLE thread_ = nullptr;
};

// Decides what the user does with one box: press a button, tick boxes, close it.
using BoxHandler = std::function<void(const BoxInfo&)>;

struct RunResult {
  DWORD exitCode = 0;          // the full 32-bit exit code (HRESULTs included)
  bool finished = false;       // false: killed after the time-out
  std::vector<BoxInfo> boxes;  // every box shown, in order
};

// Starts `program` with `arguments` in `directory` (empty: the current one) and answers
// each box with `handler` until the process ends. The command line is the quoted program
// path, a blank and the arguments.
RunResult RunProgram(const std::string& program, const std::string& arguments,
                     const std::string& directory, const BoxHandler& handler,
                     DWORD timeoutMs = 120000);
RunResult RunPurgon(const std::string& arguments, const std::string& directory,
                    const BoxHandler& handler, DWORD timeoutMs = 120000);

// Handlers for the common answers.
BoxHandler PressEach(const std::vector<std::string>& buttons);  // one button per box, in order
BoxHandler AnswerYesThenOk();  // "Yes" on a Yes/No box, "OK" on any other

// A fresh, empty folder below the temporary folder (ending in a backslash).
std::string MakeScratchDir(const std::string& name);
bool FileExists(const std::string& path);
bool DirExists(const std::string& path);
std::string ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::string& bytes);
// Creates the folder and every missing folder above it.
bool MakeDirs(const std::string& path);
// Deletes a folder tree (test clean-up; the program's own primitives are not used for it).
void DeleteTreeForTest(const std::string& path);

bool RegKeyExists(HKEY root, const std::string& subKey);
bool RegValueExists(HKEY root, const std::string& subKey, const std::string& name);
bool SetRegString(HKEY root, const std::string& subKey, const std::string& name,
                  const std::string& value, DWORD type = REG_SZ);
bool SetRegDword(HKEY root, const std::string& subKey, const std::string& name, DWORD value);
bool SetRegBinary(HKEY root, const std::string& subKey, const std::string& name,
                  const std::string& data, DWORD type);
bool CreateRegKey(HKEY root, const std::string& subKey);
void DeleteRegTreeForTest(HKEY root, const std::string& subKey);

// A file held open by another process (engine_file_holder.exe) without delete sharing, as a
// running program holds its files, until this object goes.
class HeldFile {
 public:
  explicit HeldFile(const std::string& path);
  ~HeldFile();  // lets go and waits until the holder has ended
  bool held() const { return held_; }
  HeldFile(const HeldFile&) = delete;
  HeldFile& operator=(const HeldFile&) = delete;

 private:
  HANDLE ready_ = nullptr;
  HANDLE release_ = nullptr;
  HANDLE process_ = nullptr;
  bool held_ = false;
};

// Sets the DACL of an existing key: `deny` denied to everyone and all else allowed, or, with
// `deny` 0, no DACL at all (everything allowed). As on a machine where a user may not write a
// key: denying KEY_SET_VALUE makes it fail to open for reading and writing.
bool SetKeyDeny(HKEY root, const std::string& subKey, DWORD deny);

// The lines of `text`, each without its CR LF or LF.
std::vector<std::string> TextLines(const std::string& text);

// The lines, each followed by "\n".
std::string JoinLines(const std::vector<std::string>& lines);

// "" when the two lists of lines are equal; else a diff: each line only expected as "-", each
// line only found as "+", with its line number, in order.
std::string DiffLines(const std::vector<std::string>& expected, const std::vector<std::string>& actual);

// Another account's registry as a file: one row per key (empty `value`: the bare key) or
// string value.
struct HiveRow {
  std::string key;
  std::string value;
  std::string data;
  DWORD type;
};
// Enables the backup and restore privileges that saving and loading registry files need.
bool EnableHivePrivileges();
// Writes `rows` to a new registry file `file` (its folder is made), by way of a scratch key of
// the running account that is removed again.
bool SaveHiveFile(const std::vector<HiveRow>& rows, const std::string& file);
