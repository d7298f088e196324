#include "engine/files/folder_listing.h"

#include <windows.h>

#include "engine/files/files_9x.h"
#include "engine/core/handles.h"
#include "engine/files/nt_files.h"
#include "engine/files/path_walk.h"
#include "engine/text/wide_text.h"

bool ListFolderNames(const FileCalls& calls, const std::wstring& pattern, std::vector<std::wstring>& names,
                     CleanupContext* unlistable) {
  const size_t slash = pattern.rfind(L'\\');
  if (slash == std::wstring::npos) return false;
  if (!HasNtFileCalls()) return Win9xListDirectory(pattern, names);
  const std::wstring folderPath = pattern.substr(0, slash + 1);
  const std::wstring mask = pattern.substr(slash + 1);
  KernelHandle folder;
  const Reach reach = OpenFolder(calls, folderPath, folder);
  std::vector<ListedEntry> entries;
  const NtStatus listed = reach == Reach::Reached
                              ? calls.listFolder(folder.get(), mask, entries, folderPath)
                              : kStatusNoSuchFile;
  const bool unreachable = reach == Reach::Refused || (!NtSucceeded(listed) && !IsAbsent(listed));
  if (unreachable && unlistable) {
    const unsigned long reason = reach == Reach::Refused ? Outcome::kErrorRefused : ErrorOfStatus(listed);
    unlistable->ReportDir(LogText(folderPath), Outcome::Failed(reason));
  }
  for (const ListedEntry& entry : entries) names.push_back(entry.name);
  return NtSucceeded(listed) && !entries.empty();
}
