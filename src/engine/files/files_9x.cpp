#include "engine/files/files_9x.h"

#include <windows.h>

#include "engine/core/handles.h"
#include "engine/rules/path_names.h"
#include "engine/text/text_utils.h"
#include "engine/text/wide_text.h"

namespace {

// The ANSI form of a path the code page spells exactly and the ANSI calls can take; false for
// any other (a "?" put in place of a character would be a wildcard).
bool AnsiPath(const std::wstring& path, std::string& ansi) {
  return !path.empty() && ExactAnsi(path, ansi) && ansi.size() < MAX_PATH;
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
  KernelHandle thread(started.hThread);  // not waited for
  process.Reset(started.hProcess);
  return true;
}
