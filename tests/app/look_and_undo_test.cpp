// Preview, backup, restore and exit codes end to end: the real purgon.exe under Wine against a
// machine with both clients and the launcher installed, compared before and after each run.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <set>
#include <sstream>

#include "orv_machine.h"
#include "pel_machine.h"
#include "test_support.h"
#include "version.h"

namespace {

const std::string kTitle = "Purgon " PURGON_VERSION_TEXT;
const char kEverything[] = "/pel /orv /ql /l /s";
// Where an elevated run keeps its backups (a test under Wine runs elevated).
const std::string kBackups = "C:\\ProgramData\\Purgon\\backups\\";

std::string Utf8(const wchar_t* text, size_t length) {
  if (length == 0) return std::string();
  std::string out(length * 4, '\0');
  out.resize(WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), &out[0],
                                 static_cast<int>(out.size()), nullptr, nullptr));
  return out;
}

std::string Hex(const BYTE* data, DWORD size) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (DWORD i = 0; i < size; ++i) (out += digits[data[i] >> 4]) += digits[data[i] & 15];
  return out;
}

// A queue of file operations as the set of its operations: a restore adds the client's back
// at the end of the queue as it is then, so their places may differ.
std::string QueueOperations(const BYTE* data, DWORD size) {
  std::vector<std::string> strings, pairs;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  for (size_t at = 0; at + 1 < bytes.size();) {
    size_t end = at;
    while (end + 1 < bytes.size() && (bytes[end] != '\0' || bytes[end + 1] != '\0')) end += 2;
    strings.push_back(Hex(reinterpret_cast<const BYTE*>(bytes.data()) + at, static_cast<DWORD>(end - at)));
    at = end + 2;
  }
  for (size_t i = 0; i + 1 < strings.size(); i += 2) pairs.push_back(strings[i] + ">" + strings[i + 1]);
  std::sort(pairs.begin(), pairs.end());
  return JoinLines(pairs);
}

// Every key and value (type and bytes, read as UTF-16) below `key`.
void SnapKey(HKEY key, const std::string& path, std::vector<std::string>& out) {
  out.push_back(path);
  DWORD values = 0, longestName = 0, longestData = 0;
  RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                   &longestName, &longestData, nullptr, nullptr);
  std::vector<wchar_t> name(longestName + 2);
  std::vector<BYTE> data(longestData + 2);
  for (DWORD i = 0; i < values; ++i) {
    DWORD nameLength = static_cast<DWORD>(name.size()), size = static_cast<DWORD>(data.size()), type = 0;
    if (RegEnumValueW(key, i, name.data(), &nameLength, nullptr, &type, data.data(), &size) != ERROR_SUCCESS)
      continue;
    const std::string valueName = Utf8(name.data(), nameLength);
    const bool queue = valueName.compare(0, 27, "PendingFileRenameOperations") == 0;
    out.push_back(path + " - " + valueName + " = " + std::to_string(type) + ":" +
                  (queue ? QueueOperations(data.data(), size) : Hex(data.data(), size)));
  }
  for (DWORD i = 0;; ++i) {
    wchar_t child[256];
    DWORD length = 256;
    if (RegEnumKeyExW(key, i, child, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    HKEY sub = nullptr;
    if (RegOpenKeyExW(key, child, 0, KEY_READ, &sub) != ERROR_SUCCESS) continue;
    SnapKey(sub, path + "\\" + Utf8(child, length), out);
    RegCloseKey(sub);
  }
}

void SnapFolder(const std::string& folder, const std::vector<std::string>& skip,
                std::vector<std::string>& out) {
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA((folder + "*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::string name = entry.cFileName;
    if (name == "." || name == "..") continue;
    const std::string path = folder + name;
    if (std::any_of(skip.begin(), skip.end(), [&path](const std::string& s) {
          return lstrcmpiA((path + "\\").c_str(), s.c_str()) == 0;
        }))
      continue;
    out.push_back(path + " attributes " + std::to_string(entry.dwFileAttributes));
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      SnapFolder(path + "\\", skip, out);
    else
      out.back() += " content " + ReadFileBytes(path);
  } while (FindNextFileA(search, &entry));
  FindClose(search);
}

// The machine as these tests compare it: the registry the clients use and every file where
// they live (all of C: but Windows' own folders), without the test's own folder and the
// program's backups.
std::vector<std::string> Snapshot(const std::string& testDir) {
  const std::vector<std::string> skip = {testDir, "C:\\ProgramData\\Purgon\\"};
  std::vector<std::string> out;
  const struct { HKEY root; const char* name; const char* path; } roots[] = {
      {HKEY_CURRENT_USER, "HKCU", ""}, {HKEY_LOCAL_MACHINE, "HKLM", "Software"},
      {HKEY_LOCAL_MACHINE, "HKLM", "System\\CurrentControlSet\\Control\\Session Manager"}};
  for (const auto& r : roots) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(r.root, r.path, 0, KEY_READ, &key) != ERROR_SUCCESS) continue;
    SnapKey(key, std::string(r.name) + "\\" + r.path, out);
    RegCloseKey(key);
  }
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  for (const char* folder : {"C:\\users\\", "C:\\ProgramData\\", "C:\\Program Files\\", "C:\\Varenta Client\\"})
    SnapFolder(folder, skip, out);
  for (const char* folder : {"\\orv\\", "\\orvtools\\"}) SnapFolder(windows + std::string(folder), skip, out);
  std::sort(out.begin(), out.end());
  return out;
}

// "" when equal, else the first differences both ways.
std::string Differences(const std::vector<std::string>& before, const std::vector<std::string>& after) {
  std::vector<std::string> gone, added;
  std::set_difference(before.begin(), before.end(), after.begin(), after.end(), std::back_inserter(gone));
  std::set_difference(after.begin(), after.end(), before.begin(), before.end(), std::back_inserter(added));
  std::string text;
  for (size_t i = 0; i < gone.size() && i < 15; ++i) text += "  gone:  " + gone[i].substr(0, 200) + "\n";
  for (size_t i = 0; i < added.size() && i < 15; ++i) text += "  added: " + added[i].substr(0, 200) + "\n";
  if (!text.empty())
    text = std::to_string(gone.size()) + " gone, " + std::to_string(added.size()) + " added:\n" + text;
  return text;
}

std::string Listing(const std::string& folder) {
  std::vector<std::string> out;
  SnapFolder(folder, {}, out);
  return JoinLines(out);
}

// The names in the backups folder, sorted: a backup is named for its time, so the last one
// not yet restored is the newest.
std::vector<std::string> Backups() {
  std::vector<std::string> names;
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA((kBackups + "*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (entry.cFileName[0] != '.') names.push_back(entry.cFileName);
  } while (FindNextFileA(search, &entry));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

class LookAndUndo : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = MakeScratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
    pelRecord_ = dir_ + "pel-shutdown.txt";
    // purgon.exe inherits it: the PEL control object's double records each skin shut down.
    SetEnvironmentVariableA("PEL_FAKE_RECORD", pelRecord_.c_str());
  }
  void TearDown() override {
    for (const char* item : {"QHost", "QHostNew"}) EXPECT_FALSE(IsHostRunning(item)) << item;
    UninstallOrvMachine();
    DeleteTreeForTest(dir_);
    DeleteTreeForTest("C:\\ProgramData\\Purgon\\");  // each test's backups are its own
  }
  void InstallBothClients() {
    std::string problems;
    ASSERT_TRUE(InstallPelMachine(false, problems)) << problems;
    ASSERT_TRUE(InstallOrvMachine(OrvMachineSetup(), BinDir(), problems)) << problems;
    DeleteFileA(HostRecordPath().c_str());
    DeleteFileA(LauncherRecordPath().c_str());
  }
  RunResult Run(const std::string& arguments, const std::string& in = "") {
    return RunPurgon(arguments, in.empty() ? dir_ : in, PressEach({}));
  }
  std::string Log() const { return ReadFileBytes(dir_ + "purgon.log"); }
  std::string dir_, pelRecord_;
};

TEST_F(LookAndUndo, PreviewChangesNothingAndListsWhatTheRemovalThenDeletes) {
  InstallBothClients();
  ASSERT_TRUE(StartOrvHost("QHost"));
  const std::vector<std::string> before = Snapshot(dir_);

  RunResult preview = Run(std::string(kEverything) + " /preview");
  ASSERT_TRUE(preview.finished);
  EXPECT_EQ(preview.exitCode, 1u);
  EXPECT_TRUE(preview.boxes.empty());
  EXPECT_EQ(Differences(before, Snapshot(dir_)), "");
  // Nobody was asked to shut down and nothing was started.
  EXPECT_TRUE(IsHostRunning("QHost"));
  EXPECT_EQ(TextLines(ReadFileBytes(HostRecordPath())), std::vector<std::string>{"started -item QHost -life 60000"});
  EXPECT_EQ(ReadFileBytes(LauncherRecordPath()), "");
  EXPECT_FALSE(FileExists(pelRecord_));

  // The removal that follows deletes exactly what the preview listed, in the same order.
  std::string expected;
  for (std::string line : TextLines(Log())) {
    ASSERT_EQ(line.compare(14, 9, ": found  "), 0) << line;
    expected += line.replace(16, 6, "OK    ") + "\r\n";
  }
  EXPECT_GT(expected.size(), 1000u);
  RunResult removal = Run(kEverything);
  ASSERT_TRUE(removal.finished);
  EXPECT_EQ(removal.exitCode, 0u);
  EXPECT_EQ(Log(), expected);
  EXPECT_TRUE(FileExists(pelRecord_));  // the real run did shut the client down

  // On the clean machine a preview finds nothing, says so and exits with 0.
  RunResult clean = RunPurgon("/pel /orv /ql /l /preview", dir_, PressEach({"OK"}));
  ASSERT_TRUE(clean.finished);
  EXPECT_EQ(clean.exitCode, 0u);
  EXPECT_EQ(Log(), "");
  ASSERT_EQ(clean.boxes.size(), 1u);  // no confirmation: a preview changes nothing
  EXPECT_EQ(clean.boxes[0].caption, kTitle);
  EXPECT_EQ(clean.boxes[0].text, "Purgon found nothing to remove. Nothing was changed.");
  EXPECT_NE(clean.boxes[0].icon, BoxInfo::NONE);
}

// Values of every type, names regedit must escape, empty values and a hidden file.
void AddAwkwardItems() {
  const HKEY hkcu = HKEY_CURRENT_USER;
  const std::string key = "Software\\orv\\ConfA\\Awkward [keys] = \"here\"";
  SetRegBinary(hkcu, key, "", std::string("default\0", 8), REG_SZ);
  SetRegBinary(hkcu, key, "quote\"back\\slash=[x]@", std::string("C:\\a \"b\"\0", 10), REG_SZ);
  SetRegBinary(hkcu, key, "empty", std::string("\0", 1), REG_SZ);
  SetRegBinary(hkcu, key, "\xe9t\xe9", std::string("line\r\nbreak\0", 12), REG_SZ);
  SetRegBinary(hkcu, key, "expand", std::string("%TEMP%\\x\0", 9), REG_EXPAND_SZ);
  SetRegBinary(hkcu, key, "multi", std::string("a\0b\0\0", 5), REG_MULTI_SZ);
  SetRegBinary(hkcu, key, "empty multi", std::string("\0", 1), REG_MULTI_SZ);
  SetRegBinary(hkcu, key, "dword", std::string("\x78\x56\x34\x12", 4), REG_DWORD);
  SetRegBinary(hkcu, key, "qword", std::string("\1\2\3\4\5\6\7\x08", 8), REG_QWORD);
  SetRegBinary(hkcu, key, "binary", std::string(300, '\x5a'), REG_BINARY);
  SetRegBinary(hkcu, key, "empty binary", "", REG_BINARY);
  SetRegBinary(hkcu, key, "none", "", REG_NONE);
  SetRegBinary(hkcu, key, "other", "xyz", 0x4711);
  CreateRegKey(hkcu, key + "\\empty key");
  // The files of the client's queued operations: a restore queues an operation again only
  // while its file is there.
  WriteFileBytes("C:\\windows\\orv\\orvhost.exe.new", "next host");
  WriteFileBytes("C:\\users\\root\\Temp\\ORVSetup.tmp", "set-up");
  SetFileAttributesA(OrvHostPath().c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
}

TEST_F(LookAndUndo, BackupAndRestoreGiveTheMachineBack) {
  InstallBothClients();
  AddAwkwardItems();
  const std::vector<std::string> before = Snapshot(dir_);

  RunResult removal = Run(std::string(kEverything) + " /backup /codes");
  ASSERT_TRUE(removal.finished);
  EXPECT_EQ(removal.exitCode, 0u) << Log();
  ASSERT_EQ(Backups().size(), 1u);
  const std::string name = Backups()[0];
  const std::string backup = kBackups + name + "\\";
  EXPECT_EQ(ReadFileBytes(backup + "registry.reg").compare(0, 10, "REGEDIT4\r\n"), 0);
  EXPECT_TRUE(FileExists(backup + "files\\C\\windows\\orv\\orvhost.exe"));
  EXPECT_NE(Differences(before, Snapshot(dir_)), "");

  // A look first: what would be put back, and nothing changes.
  const std::vector<std::string> removed = Snapshot(dir_);
  RunResult look = RunPurgon("/restore /preview /l", dir_, PressEach({"OK"}));
  EXPECT_EQ(look.exitCode, 1u);
  ASSERT_EQ(look.boxes.size(), 1u);
  EXPECT_EQ(look.boxes[0].text.compare(0, 13, "Purgon found "), 0);
  EXPECT_NE(look.boxes[0].text.find(" to put back. Nothing was changed.\n\n"), std::string::npos);
  EXPECT_EQ(Differences(removed, Snapshot(dir_)), "");
  const std::string lookLog = Log();

  RunResult restore = Run("/restore /l /s /codes");
  ASSERT_TRUE(restore.finished);
  EXPECT_EQ(restore.exitCode, 0u) << Log();
  EXPECT_EQ(Differences(before, Snapshot(dir_)), "");
  for (const std::string& line : TextLines(Log())) EXPECT_EQ(line.compare(0, 7, "Restore"), 0) << line;
  for (const std::string& line : TextLines(Log())) EXPECT_EQ(line.substr(14, 9), ": OK     ") << line;
  std::string expected = lookLog;
  for (size_t at = 0; (at = expected.find(": found  ", at)) != std::string::npos;) expected.replace(at, 9, ": OK     ");
  EXPECT_EQ(Log(), expected);
  EXPECT_FALSE(DirExists(backup));
  const std::string restored = kBackups + name + ".restored\\";
  ASSERT_TRUE(DirExists(restored));

  // A second restore finds nothing to restore and touches nothing.
  const std::string kept = Listing(restored);
  RunResult again = Run("/restore /l /s /codes");
  EXPECT_EQ(again.exitCode, 0u);
  EXPECT_EQ(Log(), "");
  EXPECT_EQ(Listing(restored), kept);

  // The next backup goes into a folder of its own, and a restore takes it (the newest by its
  // name, the time). A file that is back by restore time is neither overwritten nor lost; the
  // backup keeps its name, so that a later restore can finish it.
  RunResult second = Run(std::string(kEverything) + " /backup /codes");
  EXPECT_EQ(second.exitCode, 0u) << Log();
  EXPECT_EQ(Listing(restored), kept);
  ASSERT_EQ(Backups().size(), 2u);
  const std::string newest = Backups()[0] == name + ".restored" ? Backups()[1] : Backups()[0];
  MakeDirs(OrvHostPath().substr(0, OrvHostPath().rfind('\\') + 1));
  ASSERT_TRUE(WriteFileBytes(OrvHostPath(), "installed again"));
  RunResult partial = Run("/restore /l /s /codes");
  EXPECT_EQ(partial.exitCode, 1u);
  EXPECT_EQ(ReadFileBytes(OrvHostPath()), "installed again");
  EXPECT_NE(Log().find("Restore File  : failed " + OrvHostPath() + "\r\n"), std::string::npos);
  EXPECT_TRUE(FileExists(kBackups + newest + "\\files\\C\\windows\\orv\\orvhost.exe"));
  // Once the file is out of the way, the same backup finishes by its name and is renamed.
  ASSERT_TRUE(DeleteFileA(OrvHostPath().c_str()));
  RunResult finish = Run("/restore " + newest + " /l /s /codes");
  EXPECT_EQ(finish.exitCode, 0u) << Log();
  EXPECT_EQ(Log(), "Restore File  : OK     " + OrvHostPath() + "\r\n");
  EXPECT_TRUE(DirExists(kBackups + newest + ".restored\\"));
}

// A launcher of nothing but two files: its removal is quick and needs no client.
class ExitCodes : public LookAndUndo {
 protected:
  void SetUp() override {
    LookAndUndo::SetUp();
    folder_ = dir_ + "ql\\";
    MakeDirs(folder_);
    ASSERT_TRUE(SetRegString(HKEY_CURRENT_USER, "Software\\Varenta\\qlaunch", "path", folder_ + "qlaunch.exe"));
    ASSERT_TRUE(SetRegString(HKEY_CURRENT_USER, "Software\\Varenta\\qlaunch", "icon", "q.ico"));
    Reinstall();
  }
  void TearDown() override {
    DeleteRegTreeForTest(HKEY_CURRENT_USER, "Software\\Varenta");
    LookAndUndo::TearDown();
  }
  void Reinstall() {
    WriteFileBytes(folder_ + "qlaunch.exe", "not a program");
    WriteFileBytes(folder_ + "q.ico", "icon");
  }
  DWORD ExitCode(const std::string& arguments, const std::vector<std::string>& buttons = {}) {
    RunResult run = RunPurgon(arguments, dir_, PressEach(buttons));
    EXPECT_TRUE(run.finished);
    EXPECT_EQ(run.boxes.size(), buttons.size()) << arguments;
    return run.exitCode;
  }
  std::string folder_;
};

TEST_F(ExitCodes, TellScriptsWhetherEverythingWentAndWhetherTheUserDeclined) {
  EXPECT_EQ(ExitCode("/ql /s /codes"), 0u);
  EXPECT_FALSE(FileExists(folder_ + "qlaunch.exe"));
  Reinstall();

  // A file held open by another process stays: a reboot may free it.
  const std::string held = folder_ + "qlaunch.exe";
  HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, "purgon-codes-ready");
  HANDLE release = CreateEventA(nullptr, TRUE, FALSE, "purgon-codes-release");
  std::string commandLine = "\"" + BinDir() + "engine_file_holder.exe\" \"" + held +
                            "\" purgon-codes-ready purgon-codes-release";
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION holder = {};
  ASSERT_TRUE(CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &holder));
  ASSERT_EQ(WaitForSingleObject(ready, 20000), WAIT_OBJECT_0);
  EXPECT_EQ(ExitCode("/ql /s /codes"), 3010u);
  EXPECT_TRUE(FileExists(held));
  EXPECT_EQ(ExitCode("/ql /s"), 0u);
  SetEvent(release);
  WaitForSingleObject(holder.hProcess, 20000);
  CloseHandle(holder.hProcess);
  CloseHandle(holder.hThread);
  CloseHandle(ready);
  CloseHandle(release);

  // Declined at the confirmation, or the dialog cancelled.
  Reinstall();
  EXPECT_EQ(ExitCode("/ql /codes", {"No"}), 1602u);
  EXPECT_EQ(ExitCode("/codes", {"Cancel"}), 1602u);
  EXPECT_EQ(ExitCode("/ql", {"No"}), 0u);
  EXPECT_EQ(ExitCode("/l", {"Cancel"}), 0u);
  EXPECT_TRUE(FileExists(folder_ + "qlaunch.exe"));
  // "?" keeps its own code; a restore without a backup puts nothing back and says so.
  EXPECT_EQ(ExitCode("/codes /?", {"OK"}), 0u);
  RunResult restore = RunPurgon("/restore /codes", dir_, PressEach({"OK"}));
  EXPECT_EQ(restore.exitCode, 0u);
  ASSERT_EQ(restore.boxes.size(), 1u);
  EXPECT_EQ(restore.boxes[0].text, "No backup folder to restore was found.");
}

}  // namespace
