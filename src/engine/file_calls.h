#pragma once
// The Windows file calls the file and directory primitives make, reached through one table.
// The program always uses the real functions; only tests replace an entry, to produce the
// faults that Wine cannot (an entry that vanishes between the listing and its removal
// happens only under a race, and Wine ignores the ACL that makes a folder unlistable).
#include <windows.h>

struct FileCalls {
  DWORD(WINAPI* getFileAttributes)(LPCSTR path);
  BOOL(WINAPI* deleteFile)(LPCSTR path);
  BOOL(WINAPI* removeDirectory)(LPCSTR path);
  HANDLE(WINAPI* findFirstFile)(LPCSTR pattern, LPWIN32_FIND_DATAA data);
  BOOL(WINAPI* findNextFile)(HANDLE search, LPWIN32_FIND_DATAA data);
};

// The table in use; the real functions unless a test has put its own in.
FileCalls& TheFileCalls();

// The table of the real functions, for a test to restore and to call through.
const FileCalls& RealFileCalls();
