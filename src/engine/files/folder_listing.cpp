#include "engine/files/folder_listing.h"

#include <windows.h>

#include "engine/core/cleanup_context.h"
#include "engine/files/file_calls.h"
#include "engine/files/files_9x.h"
#include "engine/core/handles.h"
#include "engine/files/nt_files.h"
#include "engine/files/path_walk.h"
#include "engine/text/wide_text.h"

bool ListFolderNames(const std::wstring& pattern, std::vector<std::wstring>& names,
                     Unlistable unlistable) {
  const size_t slash = pattern.rfind(L'\\');
  if (slash == std::wstring::npos) return false;
  if (!HasNtFileCalls()) return Win9xListDirectory(pattern, names);
  const std::wstring folderPath = pattern.substr(0, slash + 1);
  const std::wstring mask = pattern.substr(slash + 1);
  KernelHandle folder;
  const Reach reach = OpenFolder(folderPath, folder);
  std::vector<ListedEntry> entries;
  const NtStatus listed = reach == Reach::Reached
                              ? TheFileCalls().listFolder(folder.get(), mask, entries, folderPath)
                              : kStatusNoSuchFile;
  const bool unreachable = reach == Reach::Refused || (!NtSucceeded(listed) && !IsAbsent(listed));
  if (unreachable && unlistable == Unlistable::Reported) {
    const unsigned long reason = reach == Reach::Refused ? Outcome::kErrorRefused : ErrorOfStatus(listed);
    TheCleanupContext().ReportDir(LogText(folderPath), Outcome::Failed(reason));
  }
  for (const ListedEntry& entry : entries) names.push_back(entry.name);
  return NtSucceeded(listed) && !entries.empty();
}
