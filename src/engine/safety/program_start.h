#pragma once
// A program the run starts while it may run elevated (the launcher, asked to unregister). Its
// path comes from the user's own settings, and under UAC an administrator's unelevated
// programs run as the same account: a program in a folder they may write to would run with
// the administrator's rights. So it is started only from where only administrators write:
// reached one folder at a time without a user's link, in no folder users write to by default
// (any account's profile, the common application data, the public folders, a temporary
// folder), and, on Windows NT, with no folder on its way and not the file itself granting
// Everyone, Users, Authenticated Users or INTERACTIVE a right to change it. The file and every
// folder on its way are held from the check until the program has started: none of them can
// be written, renamed or deleted meanwhile.
#include <windows.h>

#include <string>
#include <vector>

#include "engine/core/handles.h"
#include "engine/files/file_calls.h"
#include "engine/safety/protected_folders.h"

class CheckedProgram {
 public:
  // Checks the program at `path` (a full path) and holds it. Empty when it may be started;
  // otherwise one line saying why not, for the report. A program that is not there is no
  // fault: `found` says whether there was one to check.
  // `files` reaches it, `safety` knows the places users write to.
  std::wstring Check(const std::wstring& path, const FileCalls& files, SafetyNet& safety);
  bool found() const { return found_; }

  // Starts the checked program with `arguments` in its own folder and waits at most `waitMs`
  // for it to end; then lets go of everything held. False when it did not start.
  bool StartAndWait(const std::wstring& arguments, DWORD waitMs);

 private:
  std::wstring CheckOnNt(const std::wstring& path, const FileCalls& files, SafetyNet& safety);

  std::wstring path_;
  std::wstring folder_;
  std::vector<KernelHandle> held_;  // the folders on the way, then the file
  bool found_ = false;
  bool checked_ = false;
};
