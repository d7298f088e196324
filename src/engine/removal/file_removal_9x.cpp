#include "engine/removal/file_removal_9x.h"

#include <windows.h>

#include "engine/files/file_calls.h"
#include "engine/core/cleanup_context.h"
#include "engine/files/files_9x.h"
#include "engine/text/wide_text.h"

#include <vector>

DWORD Win9xRemoveFile(RunContext& run, const std::wstring& path) {
  if (Win9xAttributes(path) == INVALID_FILE_ATTRIBUTES) return ERROR_SUCCESS;
  return run.policy().Delete(OpenedEntry{nullptr, nullptr, std::wstring(), LOG_FILE, path}).error();
}

DWORD Win9xRemoveDirTree(RunContext& run, const std::wstring& directory) {
  const DWORD attributes = Win9xAttributes(directory.substr(0, directory.size() - 1));
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return ERROR_SUCCESS;
  std::vector<std::wstring> names;
  if (!Win9xListDirectory(directory + L"*", names)) {
    const DWORD error = GetLastError();
    run.report.ReportDir(LogText(directory), Outcome::Failed(error));
    return error ? error : Outcome::kErrorUnknown;
  }
  DWORD first = ERROR_SUCCESS;
  for (const std::wstring& name : names) {
    const std::wstring path = directory + name;
    const DWORD entry = Win9xAttributes(path);
    if (entry == INVALID_FILE_ATTRIBUTES) continue;  // vanished since the listing
    const DWORD error = (entry & FILE_ATTRIBUTE_DIRECTORY)
                            ? Win9xRemoveDirTree(run, path + L"\\")
                            : run.policy().Delete(OpenedEntry{nullptr, nullptr, name, LOG_FILE, path}).error();
    if (first == ERROR_SUCCESS) first = error;
  }
  const DWORD last = run.policy().Delete(OpenedEntry{nullptr, nullptr, std::wstring(), LOG_DIR, directory}).error();
  return first != ERROR_SUCCESS ? first : last;
}
