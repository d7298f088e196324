#pragma once
// Lookups the removals share: shell folders, running COM objects, objects by ProgID.
#include <windows.h>
#include <oaidl.h>

#include <string>

// Resolves a CSIDL folder to a path ending in a backslash, in UTF-16 (a user's name may hold
// any character). False when the folder could not be resolved (the path is then untouched)
// or the shell's allocator could not be had.
bool GetSpecialFolderPath(int folderId, std::wstring& path);

// Opens `file` with `parameters` through the shell, its window hidden (ShellExecute's "Open"),
// the ANSI call on Windows 9x (a path the code page cannot spell is not opened there). False
// when it did not start.
bool ShellOpenHidden(const std::wstring& file, const wchar_t* parameters);

// S_OK when an object runs under the item moniker "!" + `itemName` (its IDispatch is then put
// into `dispatch` when given), S_FALSE when nothing runs under it, an error otherwise.
HRESULT GetRunningDispatch(const char* itemName, IDispatch** dispatch);

// Creates the class of `progId` asking for IDispatch.
HRESULT CreateDispatchByProgID(const wchar_t* progId, IUnknown* outer, DWORD classContext,
                               IDispatch** dispatch);
