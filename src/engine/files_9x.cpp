#include "engine/files_9x.h"

#include <windows.h>

#include "engine/change_gate.h"
#include "engine/cleanup_context.h"
#include "engine/handles.h"
#include "engine/path_names.h"
#include "engine/text_utils.h"
#include "engine/wide_text.h"

namespace {

// The ANSI form of a path the code page spells exactly; false for any other (a "?" put in
// place of a character would be a wildcard).
bool AnsiPath(const std::wstring& path, std::string& ansi) {
  if (path.empty()) return false;
  BOOL lossy = FALSE;
  const int units = static_cast<int>(path.size());
  const int length = WideCharToMultiByte(CP_ACP, 0, path.data(), units, nullptr, 0, nullptr, &lossy);
  if (length <= 0 || lossy || length >= MAX_PATH) return false;
  ansi.assign(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, 0, path.data(), units, &ansi[0], length, nullptr, nullptr);
  return true;
}

DWORD Attributes(const std::wstring& path) {
  std::string ansi;
  return AnsiPath(path, ansi) ? GetFileAttributesA(ansi.c_str()) : INVALID_FILE_ATTRIBUTES;
}

}  // namespace

bool Win9xExists(const std::wstring& path) {
  return Attributes(WithoutTrailingBackslashes(path, RootBackslash::Keep)) != INVALID_FILE_ATTRIBUTES;
}

DWORD Win9xRemoveFile(const std::wstring& path) {
  if (Attributes(path) == INVALID_FILE_ATTRIBUTES) return ERROR_SUCCESS;
  return TheChangeGate().Delete(OpenedEntry{nullptr, nullptr, std::wstring(), LOG_FILE, path}).error();
}

bool Win9xListDirectory(const std::wstring& pattern, std::vector<std::wstring>& names) {
  std::string ansi;
  if (!AnsiPath(pattern, ansi)) return false;
  WIN32_FIND_DATAA entry;
  FindHandle search(FindFirstFileA(ansi.c_str(), &entry));
  if (!search) return false;
  do {
    const std::string name = entry.cFileName;
    if (name != "." && name != ".." && IsPlainName(name)) names.push_back(Widen(name));
  } while (FindNextFileA(search.get(), &entry));
  const DWORD error = GetLastError();
  search.Reset();  // keeps the last error
  return error == ERROR_NO_MORE_FILES;
}

DWORD Win9xRemoveDirTree(const std::wstring& directory) {
  const DWORD attributes = Attributes(directory.substr(0, directory.size() - 1));
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return ERROR_SUCCESS;
  std::vector<std::wstring> names;
  if (!Win9xListDirectory(directory + L"*", names)) {
    const DWORD error = GetLastError();
    TheCleanupContext().ReportDir(LogText(directory), Outcome::Failed(error));
    return error ? error : Outcome::kErrorUnknown;
  }
  DWORD first = ERROR_SUCCESS;
  for (const std::wstring& name : names) {
    const std::wstring path = directory + name;
    const DWORD entry = Attributes(path);
    if (entry == INVALID_FILE_ATTRIBUTES) continue;  // vanished since the listing
    const DWORD error = (entry & FILE_ATTRIBUTE_DIRECTORY)
                            ? Win9xRemoveDirTree(path + L"\\")
                            : TheChangeGate().Delete(OpenedEntry{nullptr, nullptr, name, LOG_FILE, path}).error();
    if (first == ERROR_SUCCESS) first = error;
  }
  const DWORD last = TheChangeGate().Delete(OpenedEntry{nullptr, nullptr, std::wstring(), LOG_DIR, directory}).error();
  return first != ERROR_SUCCESS ? first : last;
}
