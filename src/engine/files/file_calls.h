#pragma once
// The file calls the file and folder primitives make on Windows NT, in one table that each run
// holds (run/run_context.h) and hands down. The program always uses the real functions; only
// tests replace an entry, to produce what
// Wine cannot: an entry that vanishes or a link swapped in during the walk (races), a folder
// whose ACL denies listing, a link an administrator made (Wine reports every owner as the
// running account), deletions faked where a failure would take the test machine's own folders.
#include <windows.h>

#include <string>
#include <vector>

#include "engine/core/cleanup_context.h"
#include "engine/core/handles.h"
#include "engine/files/nt_files.h"

// A file, folder or link the file primitives have opened to delete it.
struct OpenedEntry {
  HANDLE handle;      // opened with delete access, a link as itself; null on Windows 9x
  HANDLE parent;      // the open folder it lies in; null on Windows 9x
  std::wstring name;  // its name in that folder
  LogKind kind;       // LOG_FILE or LOG_DIR
  std::wstring path;  // as the log spells it; a folder's ends in a backslash
};

struct FileCalls {
  NtStatus (*openChild)(HANDLE parent, const std::wstring& name, const OpenMode& mode,
                        KernelHandle& handle);
  // `path` is the folder's path as the log spells it.
  NtStatus (*listFolder)(HANDLE folder, const std::wstring& mask, std::vector<ListedEntry>& entries,
                         const std::wstring& path);
  // `path` is the entry's path as the log spells it.
  NtStatus (*deleteOpened)(HANDLE entry, const std::wstring& path);
  bool (*madeByAdministrators)(HANDLE link);
};

// The table of the real functions: a run's own table starts as a copy of it (a test replaces
// single entries of its copy, and calls through this one).
const FileCalls& RealFileCalls();
