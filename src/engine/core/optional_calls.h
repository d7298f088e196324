#pragma once
// The system functions the program uses that Windows 95 or Windows NT 4 lacks, in one table,
// looked up at run time once: imported directly, any one of them would keep the program from
// starting there. An entry is null where this Windows has none, and each caller says what it
// does then. On Windows 9x the wide functions are not even looked up: the 9x path calls none.
#include <windows.h>
#include <oleauto.h>

struct OptionalCalls {
  // kernel32: Windows 98 and 2000 on.
  DWORD(WINAPI* getLongPathNameW)(LPCWSTR, LPWSTR, DWORD) = nullptr;
  // kernel32: Vista on.
  DWORD(WINAPI* getFinalPathNameByHandleW)(HANDLE, LPWSTR, DWORD, DWORD) = nullptr;
  DWORD(WINAPI* getFinalPathNameByHandleA)(HANDLE, LPSTR, DWORD, DWORD) = nullptr;
  // kernel32: Windows 7 (or Vista with an update) on, and XP SP1 on.
  BOOL(WINAPI* setDefaultDllDirectories)(DWORD) = nullptr;
  BOOL(WINAPI* setDllDirectoryA)(LPCSTR) = nullptr;
  // advapi32: Windows 2000 on.
  BOOL(WINAPI* checkTokenMembership)(HANDLE, PSID, PBOOL) = nullptr;
  BOOL(WINAPI* setSecurityDescriptorControl)(PSECURITY_DESCRIPTOR, SECURITY_DESCRIPTOR_CONTROL,
                                             SECURITY_DESCRIPTOR_CONTROL) = nullptr;
  // shell32 on Windows 2000 and ME, else SHFolder.dll from the system folder (which older
  // systems get with Internet Explorer); null without either.
  HRESULT(WINAPI* shGetFolderPathW)(HWND, int, HANDLE, DWORD, LPWSTR) = nullptr;
  // oleaut32 of OLE automation 2.40 (NT 4 SP, Windows 98) on.
  HRESULT(WINAPI* loadTypeLibEx)(LPCOLESTR, REGKIND, ITypeLib**) = nullptr;
  HRESULT(WINAPI* unRegisterTypeLib)(REFGUID, WORD, WORD, LCID, SYSKIND) = nullptr;
  // ntdll: Windows NT only (Windows 9x has no ntdll.dll). LONG stands for NTSTATUS, void* for
  // the structures only the callers know.
  LONG(NTAPI* ntCreateFile)(PHANDLE, ACCESS_MASK, void*, void*, PLARGE_INTEGER, ULONG, ULONG, ULONG,
                            ULONG, PVOID, ULONG) = nullptr;
  LONG(NTAPI* ntQueryDirectoryFile)(HANDLE, HANDLE, PVOID, PVOID, void*, PVOID, ULONG, ULONG, BOOLEAN,
                                    void*, BOOLEAN) = nullptr;
  LONG(NTAPI* ntSetInformationFile)(HANDLE, void*, PVOID, ULONG, ULONG) = nullptr;
  LONG(NTAPI* ntQueryInformationFile)(HANDLE, void*, PVOID, ULONG, ULONG) = nullptr;
  LONG(NTAPI* ntQueryKey)(HANDLE, int, PVOID, ULONG, PULONG) = nullptr;
  ULONG(NTAPI* rtlNtStatusToDosError)(LONG) = nullptr;
};

// The table of this Windows, filled at the first call.
const OptionalCalls& Optional();

// True on Windows 95, 98 and ME: only the ANSI functions work there (the wide ones are stubs
// that fail), there is one account and no file has an owner or permissions.
bool OnWindows9x();
