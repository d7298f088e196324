#include "engine/files/path_walk.h"
#include "engine/text/case_folding.h"


namespace {

const NtStatus kStatusNotADirectory = static_cast<NtStatus>(0xC0000103);

std::vector<std::wstring> SplitNames(const std::wstring& text) {
  std::vector<std::wstring> names;
  for (size_t start = 0; start <= text.size();) {
    size_t end = text.find(L'\\', start);
    if (end == std::wstring::npos) end = text.size();
    if (end > start) names.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return names;
}

}  // namespace

bool IsAbsent(NtStatus status) { return IsGoneStatus(status) || status == kStatusNotADirectory; }

bool SplitFullPath(const std::wstring& path, PathSteps& steps) {
  const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return false;
  std::wstring full(needed, L'\0');
  const DWORD length = GetFullPathNameW(path.c_str(), needed, &full[0], nullptr);
  if (length == 0 || length >= needed) return false;
  full.resize(length);
  bool unc = false;
  std::wstring rest = full;
  if (StartsWithNoCase(full, L"\\\\?\\")) {
    rest = full.substr(4);
    if (StartsWithNoCase(rest, L"UNC\\")) {
      rest = rest.substr(4);
      unc = true;
    }
  } else if (full.compare(0, 2, L"\\\\") == 0) {
    if (full.compare(0, 4, L"\\\\.\\") == 0) return false;  // a device, not a file
    rest = full.substr(2);
    unc = true;
  }
  std::vector<std::wstring> names = SplitNames(rest);
  if (unc) {
    if (names.size() < 2) return false;
    steps.root = L"\\\\" + names[0] + L"\\" + names[1] + L"\\";
    steps.names.assign(names.begin() + 2, names.end());
    return true;
  }
  const bool drive = rest.size() >= 3 && rest[1] == L':' && rest[2] == L'\\' &&
                     ((rest[0] >= L'A' && rest[0] <= L'Z') || (rest[0] >= L'a' && rest[0] <= L'z'));
  if (!drive) return false;
  steps.root = rest.substr(0, 3);
  steps.names.assign(names.begin() + 1, names.end());
  return true;
}

bool IsLinkHandle(HANDLE handle) {
  DWORD attributes = 0;
  return ReadOpenedAttributes(handle, attributes) && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool IsEntryThere(const FileCalls& calls, HANDLE folder, const std::wstring& name) {
  KernelHandle entry;
  return !IsAbsent(calls.openChild(folder, name, kOwnerOnly, entry));
}

Looked PickListed(const std::vector<ListedEntry>& entries, const std::wstring& name, ListedEntry& picked) {
  for (const ListedEntry& entry : entries) {
    if (entry.name != name) continue;
    picked = entry;
    return Looked::Found;
  }
  if (entries.empty()) return Looked::Missing;
  if (entries.size() > 1) return Looked::Refused;
  picked = entries.front();
  return Looked::Found;
}

Looked LookUp(const FileCalls& calls, HANDLE folder, const std::wstring& folderPath, const std::wstring& name,
              ListedEntry& entry) {
  std::vector<ListedEntry> entries;
  const NtStatus listed = calls.listFolder(folder, name, entries, folderPath);
  if (listed == kStatusNoSuchFile || IsAbsent(listed)) return Looked::Missing;
  if (!NtSucceeded(listed)) return Looked::Refused;
  return PickListed(entries, name, entry);
}

NtStatus OpenListed(const FileCalls& calls, HANDLE parent, const ListedEntry& entry, const OpenMode& mode,
                    KernelHandle& handle) {
  const NtStatus opened = calls.openChild(parent, entry.name, mode, handle);
  if (!NtSucceeded(opened) || entry.fileId == 0) return opened;
  LONGLONG id = 0;
  if (ReadOpenedFileId(handle.get(), id) && (id == 0 || id == entry.fileId)) return opened;
  handle.Reset();
  return kStatusNotSameObject;
}

ListedOpen LookUpAndOpen(const FileCalls& calls, HANDLE parent, const std::wstring& parentPath,
                         const std::wstring& name, const OpenMode& mode, KernelHandle& handle) {
  ListedOpen result;
  handle.Reset();
  switch (LookUp(calls, parent, parentPath, name, result.entry)) {
    case Looked::Missing: return result;
    case Looked::Refused: result.reach = Reach::Refused; return result;
    case Looked::Found: break;
  }
  result.status = OpenListed(calls, parent, result.entry, mode, handle);
  if (NtSucceeded(result.status))
    result.reach = Reach::Reached;
  else
    result.reach = IsAbsent(result.status) ? Reach::Gone : Reach::Refused;
  return result;
}

// Opens `name` in `parent` as a folder to pass through: the entry its listing shows under
// that name, and no other. A link is followed only when an administrator made it; a user's
// own link could lead anywhere.
Reach StepInto(const FileCalls& calls, HANDLE parent, const std::wstring& parentPath, const std::wstring& name,
               const OpenMode& mode, KernelHandle& next) {
  const ListedOpen found = LookUpAndOpen(calls, parent, parentPath, name, mode, next);
  if (found.reach != Reach::Reached) return found.reach;
  if (!found.entry.IsLink() && !IsLinkHandle(next.get())) return Reach::Reached;
  next.Reset();
  KernelHandle link;
  if (!NtSucceeded(OpenListed(calls, parent, found.entry, kOwnerOnly, link)) || !calls.madeByAdministrators(link.get()))
    return Reach::Refused;
  OpenMode follow = mode;
  follow.links = LinkHandling::Follow;
  const NtStatus followed = calls.openChild(parent, found.entry.name, follow, next);
  if (NtSucceeded(followed)) return Reach::Reached;
  return IsAbsent(followed) ? Reach::Gone : Reach::Refused;
}

Reach OpenContainingFolder(const FileCalls& calls, const PathSteps& steps, KernelHandle& folder,
                           std::wstring& folderPath, const OpenMode& mode) {
  const bool rootHolds = steps.names.size() <= 1;
  // A drive or share that cannot be opened holds nothing this run can see.
  if (!NtSucceeded(OpenRoot(steps.root, rootHolds ? mode : kTraverseFolder, folder))) return Reach::Gone;
  folderPath = steps.root;
  for (size_t i = 0; i + 1 < steps.names.size(); ++i) {
    KernelHandle next;
    const bool holder = i + 2 == steps.names.size();
    const Reach reach = StepInto(calls, folder.get(), folderPath, steps.names[i], holder ? mode : kTraverseFolder, next);
    if (reach != Reach::Reached) return reach;
    folder = std::move(next);
    folderPath += steps.names[i] + L"\\";
  }
  return Reach::Reached;
}

Reach ReachHolder(const FileCalls& calls, const std::wstring& path, Holder& holder, const OpenMode& mode) {
  PathSteps steps;
  if (!SplitFullPath(path, steps) || steps.names.empty()) return Reach::NotAPath;
  const Reach reach = OpenContainingFolder(calls, steps, holder.folder, holder.folderPath, mode);
  holder.name = steps.names.back();
  return reach;
}

Reach OpenFolder(const FileCalls& calls, const std::wstring& path, KernelHandle& folder) {
  PathSteps steps;
  if (!SplitFullPath(path, steps)) return Reach::Gone;
  std::wstring parentPath;
  if (steps.names.empty())
    return NtSucceeded(OpenRoot(steps.root, kTraverseFolder, folder)) ? Reach::Reached : Reach::Gone;
  KernelHandle parent;
  const Reach reach = OpenContainingFolder(calls, steps, parent, parentPath);
  if (reach != Reach::Reached) return reach;
  return StepInto(calls, parent.get(), parentPath, steps.names.back(), kTraverseFolder, folder);
}

