#include "engine/files/files_9x.h"

#include <windows.h>

#include "engine/core/handles.h"
#include "engine/rules/path_names.h"
#include "engine/text/text_utils.h"
#include "engine/text/wide_text.h"

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

}  // namespace

DWORD Win9xAttributes(const std::wstring& path) {
  std::string ansi;
  return AnsiPath(path, ansi) ? GetFileAttributesA(ansi.c_str()) : INVALID_FILE_ATTRIBUTES;
}

bool Win9xExists(const std::wstring& path) {
  return Win9xAttributes(WithoutTrailingBackslashes(path, RootBackslash::Keep)) != INVALID_FILE_ATTRIBUTES;
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

DWORD Win9xDelete(const std::wstring& path, bool folder) {
  std::string ansi;
  if (!AnsiPath(path, ansi)) return ERROR_INVALID_NAME;
  const BOOL deleted = folder ? RemoveDirectoryA(ansi.c_str()) : DeleteFileA(ansi.c_str());
  return deleted ? ERROR_SUCCESS : GetLastError();
}

bool Win9xMove(const std::wstring& from, const std::wstring& to) {
  std::string ansiFrom, ansiTo;
  return AnsiPath(from, ansiFrom) && AnsiPath(to, ansiTo) && MoveFileA(ansiFrom.c_str(), ansiTo.c_str()) != FALSE;
}

bool Win9xStart(const std::wstring& path, const std::wstring& arguments, const std::wstring& folder,
                KernelHandle& process) {
  std::string program, words, directory;
  if (!AnsiPath(path, program) || !AnsiPath(arguments, words) || !AnsiPath(folder, directory)) return false;
  std::string line = "\"" + program + "\" " + words;  // written into by the call
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started = {};
  if (!CreateProcessA(program.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, directory.c_str(),
                      &startup, &started))
    return false;
  CloseHandle(started.hThread);
  process.Reset(started.hProcess);
  return true;
}
