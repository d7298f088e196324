#include "engine/system/system_roots.h"

#include <windows.h>
#include <shlobj.h>

#include "engine/core/handles.h"
#include "engine/core/optional_calls.h"
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

// The same through an ANSI call, widened: Windows 9x has only those.
template <typename Call>
std::wstring FromAnsiBuffer(Call call) {
  std::string buffer(MAX_PATH + 1, '\0');
  const UINT length = call(&buffer[0], MAX_PATH);
  if (length >= MAX_PATH) return std::wstring();  // no path of Windows 9x is that long
  buffer.resize(length);
  return Widen(buffer);
}

std::wstring EnvironmentFolder(const wchar_t* name) {
  if (OnWindows9x()) return std::wstring();  // only the native folders of 64-bit Windows are asked for
  return FromBuffer([name](wchar_t* b, UINT n) { return GetEnvironmentVariableW(name, b, n); });
}

// The long form of `path` built one name at a time from the listings (where Windows has no
// GetLongPathNameW: NT 4 and Windows 95): each name after the drive or share is replaced by
// the long name its folder lists for it. Empty when a name is not there.
std::wstring LongFormByNames(const std::wstring& path) {
  size_t start = 0;
  if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') {
    start = 3;
  } else if (path.compare(0, 2, L"\\\\") == 0) {  // \\server\share\ stays as it is
    const size_t server = path.find(L'\\', 2);
    const size_t share = server == std::wstring::npos ? server : path.find(L'\\', server + 1);
    if (share == std::wstring::npos) return path;
    start = share + 1;
  } else {
    return std::wstring();
  }
  std::wstring result = path.substr(0, start);
  while (start < path.size()) {
    size_t end = path.find(L'\\', start);
    if (end == std::wstring::npos) end = path.size();
    const std::wstring name = path.substr(start, end - start);
    if (!name.empty() && name.find_first_of(L"*?") != std::wstring::npos) return std::wstring();
    std::wstring found;
    if (name.empty() || name == L"." || name == L"..") {
      found = name;
    } else if (OnWindows9x()) {
      std::string pattern;
      WIN32_FIND_DATAA entry;
      if (!ExactAnsi(result + name, pattern)) return std::wstring();
      FindHandle search(FindFirstFileA(pattern.c_str(), &entry));
      if (!search) return std::wstring();
      found = Widen(entry.cFileName);
    } else {
      WIN32_FIND_DATAW entry;
      FindHandle search(FindFirstFileW((result + name).c_str(), &entry));
      if (!search) return std::wstring();
      found = entry.cFileName;
    }
    result += found;
    if (end < path.size()) result += L'\\';
    start = end + 1;
  }
  return result;
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
  if (OnWindows9x()) return FromAnsiBuffer([](char* b, UINT n) { return GetWindowsDirectoryA(b, n); });
  return FromBuffer([](wchar_t* b, UINT n) { return GetWindowsDirectoryW(b, n); });
}

std::wstring SystemFolder() {
  if (OnWindows9x()) return FromAnsiBuffer([](char* b, UINT n) { return GetSystemDirectoryA(b, n); });
  return FromBuffer([](wchar_t* b, UINT n) { return GetSystemDirectoryW(b, n); });
}

std::wstring TempFolder() {
  if (OnWindows9x()) return FromAnsiBuffer([](char* b, UINT n) { return static_cast<UINT>(GetTempPathA(n, b)); });
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
  const auto longPath = Optional().getLongPathNameW;
  if (!longPath) return LongFormByNames(path);
  const DWORD needed = longPath(path.c_str(), nullptr, 0);
  if (needed == 0) return std::wstring();
  std::wstring buffer(needed, L'\0');
  const DWORD length = longPath(path.c_str(), &buffer[0], needed);
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
  if (folded.empty()) return text;
  std::string ansi;
  if (!OnWindows9x()) {
    CharUpperBuffW(&folded[0], static_cast<DWORD>(folded.size()));
  } else if (ExactAnsi(folded, ansi)) {  // Windows 9x folds names in its code page
    CharUpperBuffA(&ansi[0], static_cast<DWORD>(ansi.size()));
    folded = Widen(ansi);
  } else {
    for (wchar_t& c : folded)
      if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  }
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
