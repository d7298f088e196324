#include "engine/system/system_roots.h"

#include <windows.h>
#include <shlobj.h>

#include "engine/core/handles.h"
#include "engine/rules/profile_layout.h"
#include "engine/registry/registry.h"
#include "engine/system/shell.h"
#include "engine/text/wide_text.h"

namespace {

// A path from a call that writes into a buffer and returns the length it needed.
template <typename Call>
std::wstring FromBuffer(Call call) {
  std::wstring buffer(MAX_PATH + 1, L'\0');
  UINT length = call(&buffer[0], MAX_PATH);
  if (length >= MAX_PATH) {  // too long for the first buffer: once more with room
    buffer.assign(length + 1, L'\0');
    length = call(&buffer[0], static_cast<UINT>(buffer.size()));
    if (length >= buffer.size()) return std::wstring();
  }
  buffer.resize(length);
  return buffer;
}

std::wstring EnvironmentFolder(const wchar_t* name) {
  return FromBuffer([name](wchar_t* b, UINT n) { return GetEnvironmentVariableW(name, b, n); });
}

// A folder named in the 64-bit registry view (the 32-bit view names the "(x86)" folders).
std::wstring NativeRegistryFolder(const wchar_t* name) {
  RegKey key;
  if (OpenKey(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
              KEY_READ | KEY_WOW64_64KEY, key) != ERROR_SUCCESS)
    return std::wstring();
  return ReadRegStringWithin(key.get(), name, MAX_PATH);
}

}  // namespace

std::wstring WindowsFolder() {
  return FromBuffer([](wchar_t* b, UINT n) { return GetWindowsDirectoryW(b, n); });
}

std::wstring SystemFolder() {
  return FromBuffer([](wchar_t* b, UINT n) { return GetSystemDirectoryW(b, n); });
}

std::wstring TempFolder() {
  return FromBuffer([](wchar_t* b, UINT n) { return static_cast<UINT>(GetTempPathW(n, b)); });
}

// On 64-bit Windows this 32-bit program sees the "(x86)" Program Files and, under the name
// System32, the SysWOW64 folder; the native folders must be protected too. The names are
// protected on every Windows: where they do not exist, nothing is lost.
void AddNativeFolders(std::vector<std::string>& folders, const std::wstring& windows) {
  AddFolder(folders, EnvironmentFolder(L"ProgramW6432"));
  AddFolder(folders, EnvironmentFolder(L"CommonProgramW6432"));
  AddFolder(folders, NativeRegistryFolder(L"ProgramFilesDir"));
  AddFolder(folders, NativeRegistryFolder(L"CommonFilesDir"));
  if (windows.empty()) return;
  for (const wchar_t* name : {L"\\System32", L"\\SysWOW64", L"\\Sysnative"})
    AddFolder(folders, windows + name);
}

std::wstring LongForm(const std::wstring& path) {
  const DWORD needed = GetLongPathNameW(path.c_str(), nullptr, 0);
  if (needed == 0) return std::wstring();
  std::wstring buffer(needed, L'\0');
  const DWORD length = GetLongPathNameW(path.c_str(), &buffer[0], needed);
  if (length == 0 || length >= needed) return std::wstring();
  buffer.resize(length);
  return buffer;
}

// The folders are kept for the spelling rules, which read UTF-8.
void AddFolder(std::vector<std::string>& folders, const std::wstring& path) {
  if (path.empty()) return;
  folders.push_back(Utf8Of(path));
  const std::wstring longForm = LongForm(path);
  if (!longForm.empty() && longForm != path) folders.push_back(Utf8Of(longForm));
}

std::wstring ShellFolder(int id) {
  std::wstring path;
  if (!GetSpecialFolderPath(id, path)) path.clear();
  return path;
}

std::wstring LongOrAsGiven(const std::wstring& path) {
  const std::wstring longForm = LongForm(path);
  return longForm.empty() ? path : longForm;
}

// The folder that holds every profile, "" when the application-data folder is not known.
std::wstring ProfilesRoot(const std::wstring& profile) {
  const std::wstring appData = ShellFolder(CSIDL_APPDATA);
  return appData.empty() ? std::wstring()
                         : WideOfUtf8(FindProfileLayout(Utf8Of(appData), Utf8Of(profile)).root);
}

// Upper-cases letters of every alphabet the way Windows compares file names (A to Z alone
// would let "C:\\Users\\\u00C4..." pass for "C:\\Users\\\u00E4..."), in UTF-8.
std::string FoldCase(const std::string& text) {
  std::wstring folded = WideOfUtf8(text);
  if (!folded.empty()) CharUpperBuffW(&folded[0], static_cast<DWORD>(folded.size()));
  return Utf8Of(folded);
}

ProtectedFolders Folded(const ProtectedFolders& folders) {
  ProtectedFolders out;
  for (const std::string& f : folders.folders) out.folders.push_back(FoldCase(f));
  for (const std::string& f : folders.childrenOf) out.childrenOf.push_back(FoldCase(f));
  for (const std::string& f : folders.belowChildren) out.belowChildren.push_back(FoldCase(f));
  return out;
}

ProtectedFolders GatherSystemFolders() {
  ProtectedFolders folders;
  const std::wstring windows = WindowsFolder();
  AddFolder(folders.folders, windows);
  AddFolder(folders.folders, SystemFolder());
  AddFolder(folders.folders, ShellFolder(CSIDL_PROGRAM_FILES));
  AddFolder(folders.folders, ShellFolder(CSIDL_PROGRAM_FILES_COMMON));
  AddNativeFolders(folders.folders, windows);
  AddFolder(folders.folders, ProfilesRoot(LongOrAsGiven(ShellFolder(CSIDL_PROFILE))));
  return folders;
}

bool IsSystemFolderPath(const std::wstring& folder) {
  static const ProtectedFolders folded = Folded(GatherSystemFolders());
  return IsRefusedTree(FoldCase(Utf8Of(folder)), folded);
}
