#include "engine/files/nt_files.h"

#include <windows.h>
#include <winternl.h>

#include <cstring>

#include "engine/core/cleanup_context.h"
#include "engine/core/optional_calls.h"
#include "engine/core/sids.h"
#include "engine/files/file_security.h"

namespace {

// The kernel's calls, from the table of optional functions (Windows 9x has none).
struct NtCalls {
  const OptionalCalls& calls = Optional();
  decltype(OptionalCalls::ntCreateFile) createFile = calls.ntCreateFile;
  decltype(OptionalCalls::ntQueryDirectoryFile) queryDirectory = calls.ntQueryDirectoryFile;
  decltype(OptionalCalls::ntSetInformationFile) setInformation = calls.ntSetInformationFile;
  decltype(OptionalCalls::ntQueryInformationFile) queryInformation = calls.ntQueryInformationFile;
  decltype(OptionalCalls::rtlNtStatusToDosError) statusToError = calls.rtlNtStatusToDosError;
  bool complete() const {
    return createFile && queryDirectory && setInformation && queryInformation && statusToError;
  }
};

const NtCalls& Nt() {
  static const NtCalls calls;
  return calls;
}

// Information classes and option flags of the calls.
const ULONG kFileDispositionInformation = 13;
const ULONG kFileRenameInformation = 10;
const ULONG kFileBothDirectoryInformation = 3;
const ULONG kFileBasicInformation = 4;
const ULONG kFileInternalInformation = 6;
const ULONG kFileIdBothDirectoryInformation = 37;
const ULONG kOpenExisting = 1;  // FILE_OPEN
const ULONG kCreateNew = 2;     // FILE_CREATE
const NtStatus kStatusInvalidInfoClass = static_cast<NtStatus>(0xC0000003);
const NtStatus kStatusNotFound = static_cast<NtStatus>(0xC0000225);
const ULONG kListingBufferSize = 64 * 1024;  // whole entries only: no name is ever cut

const ULONG kShareAll = kShareAllAccess;

// A counted string over `text`, which must outlive it. Names longer than a counted string can
// hold do not exist; such a text is refused before it gets here.
UNICODE_STRING Counted(const std::wstring& text) {
  UNICODE_STRING counted;
  counted.Length = static_cast<USHORT>(text.size() * sizeof(wchar_t));
  counted.MaximumLength = counted.Length;
  counted.Buffer = const_cast<wchar_t*>(text.data());
  return counted;
}

bool FitsCounted(const std::wstring& text) { return text.size() * sizeof(wchar_t) <= 0xFFFE; }

ULONG OptionsOf(const OpenMode& mode) {
  ULONG options = FILE_SYNCHRONOUS_IO_NONALERT;
  if (mode.kind == EntryKind::Folder) options |= FILE_DIRECTORY_FILE;
  if (mode.kind == EntryKind::File) options |= FILE_NON_DIRECTORY_FILE;
  if (mode.links == LinkHandling::AsItself) options |= FILE_OPEN_REPARSE_POINT;
  return options;
}

NtStatus Call(HANDLE parent, const std::wstring& name, const OpenMode& mode, ULONG disposition,
              KernelHandle& handle) {
  handle.Reset();
  if (!Nt().complete()) return kStatusNotImplemented;
  if (!FitsCounted(name)) return kStatusNameInvalid;
  UNICODE_STRING counted = Counted(name);
  OBJECT_ATTRIBUTES attributes;
  InitializeObjectAttributes(&attributes, &counted, OBJ_CASE_INSENSITIVE, parent, nullptr);
  IO_STATUS_BLOCK io = {};
  HANDLE opened = nullptr;
  const NtStatus status =
      Nt().createFile(&opened, mode.access | SYNCHRONIZE, &attributes, &io, nullptr,
                      FILE_ATTRIBUTE_NORMAL, mode.share, disposition, OptionsOf(mode), nullptr, 0);
  if (NtSucceeded(status)) handle.Reset(opened);
  return status;
}

NtStatus Open(HANDLE parent, const std::wstring& name, const OpenMode& mode, KernelHandle& handle) {
  return Call(parent, name, mode, kOpenExisting, handle);
}

bool IsOneName(const std::wstring& name) {
  return !name.empty() && name.find_first_of(L"\\/") == std::wstring::npos && name != L"." &&
         name != L"..";
}

NtStatus Rename(HANDLE entry, HANDLE root, const std::wstring& target) {
  if (!Nt().complete()) return kStatusNotImplemented;
  if (!FitsCounted(target)) return kStatusNameInvalid;
  const size_t nameBytes = target.size() * sizeof(wchar_t);
  std::vector<BYTE> buffer(sizeof(FILE_RENAME_INFORMATION) + nameBytes);
  auto* rename = reinterpret_cast<FILE_RENAME_INFORMATION*>(buffer.data());
  rename->ReplaceIfExists = FALSE;
  rename->RootDirectory = root;
  rename->FileNameLength = static_cast<ULONG>(nameBytes);
  memcpy(rename->FileName, target.data(), nameBytes);
  IO_STATUS_BLOCK io = {};
  return Nt().setInformation(entry, &io, rename, static_cast<ULONG>(buffer.size()),
                             kFileRenameInformation);
}

// The kernel's name of a Win32 full path: "\??\C:\..." or "\??\UNC\server\share\...".
std::wstring KernelPathOf(const std::wstring& full) {
  if (full.compare(0, 4, L"\\\\?\\") == 0) return L"\\??\\" + full.substr(4);
  if (full.compare(0, 2, L"\\\\") == 0) return L"\\??\\UNC\\" + full.substr(2);
  return L"\\??\\" + full;
}

// Appends the entries of one batch of a listing; `withIds` for the class that carries them.
void AppendBatch(const BYTE* buffer, bool withIds, std::vector<ListedEntry>& entries) {
  for (ULONG offset = 0;;) {
    const BYTE* at = buffer + offset;
    ListedEntry entry;
    ULONG next = 0;
    if (withIds) {
      const auto* info = reinterpret_cast<const FILE_ID_BOTH_DIR_INFORMATION*>(at);
      entry.name.assign(info->FileName, info->FileNameLength / sizeof(wchar_t));
      entry.attributes = info->FileAttributes;
      entry.fileId = info->FileId.QuadPart;
      next = info->NextEntryOffset;
    } else {
      const auto* info = reinterpret_cast<const FILE_BOTH_DIR_INFORMATION*>(at);
      entry.name.assign(info->FileName, info->FileNameLength / sizeof(wchar_t));
      entry.attributes = info->FileAttributes;
      next = info->NextEntryOffset;
    }
    if (entry.name != L"." && entry.name != L"..") entries.push_back(std::move(entry));
    if (next == 0) return;
    offset += next;
  }
}

}  // namespace

const OpenMode kTraverseFolder = {FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES,
                                  kShareAll, EntryKind::Folder, LinkHandling::AsItself};
const OpenMode kHeldFolder = {FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, EntryKind::Folder,
                              LinkHandling::AsItself};
const OpenMode kEntryToDelete = {DELETE | FILE_READ_ATTRIBUTES, kShareAll, EntryKind::Any,
                                 LinkHandling::AsItself};
const OpenMode kOwnerOnly = {READ_CONTROL | FILE_READ_ATTRIBUTES, kShareAll, EntryKind::Any,
                             LinkHandling::AsItself};
const OpenMode kFolderToFill = {FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES |
                                    FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY,
                                kShareAll, EntryKind::Folder, LinkHandling::AsItself};

bool IsGoneStatus(NtStatus status) {
  return status == kStatusNameNotFound || status == kStatusPathNotFound ||
         status == kStatusNoSuchFile || status == kStatusNotFound;
}

bool HasNtFileCalls() { return Nt().complete(); }

NtStatus OpenRoot(const std::wstring& root, const OpenMode& mode, KernelHandle& handle) {
  return Open(nullptr, KernelPathOf(root), mode, handle);
}

NtStatus OpenChild(HANDLE parent, const std::wstring& name, const OpenMode& mode, KernelHandle& handle) {
  // One name only: a relative name with a separator would reach below it, an empty one the
  // parent itself, "." and ".." are refused by the kernel anyway.
  if (!IsOneName(name)) {
    handle.Reset();
    return kStatusNameInvalid;
  }
  return Open(parent, name, mode, handle);
}

NtStatus ListFolder(HANDLE folder, const std::wstring& mask, std::vector<ListedEntry>& entries) {
  if (!Nt().complete()) return kStatusNotImplemented;
  if (!FitsCounted(mask)) return kStatusNameInvalid;
  std::vector<BYTE> buffer(kListingBufferSize);
  UNICODE_STRING counted = Counted(mask);
  bool withIds = true;
  for (bool first = true;; first = false) {
    IO_STATUS_BLOCK io = {};
    const ULONG infoClass = withIds ? kFileIdBothDirectoryInformation : kFileBothDirectoryInformation;
    // The mask counts only on the first call on a handle; every later call goes on from there.
    NtStatus status = Nt().queryDirectory(folder, nullptr, nullptr, nullptr, &io, buffer.data(),
                                          kListingBufferSize, infoClass, FALSE,
                                          first ? &counted : nullptr, first ? TRUE : FALSE);
    if (first && status == kStatusInvalidInfoClass && withIds) {
      withIds = false;  // before Windows XP: no file ids in listings
      first = true;
      status = Nt().queryDirectory(folder, nullptr, nullptr, nullptr, &io, buffer.data(),
                                   kListingBufferSize, kFileBothDirectoryInformation, FALSE,
                                   &counted, TRUE);
    }
    if (status == kStatusNoMoreFiles) return kStatusSuccess;
    if (!NtSucceeded(status)) return status;
    if (io.Information == 0) return kStatusSuccess;
    AppendBatch(buffer.data(), withIds, entries);
  }
}

NtStatus DeleteOpened(HANDLE entry) {
  if (!Nt().complete()) return kStatusNotImplemented;
  BOOLEAN deleteFile = TRUE;  // FILE_DISPOSITION_INFORMATION
  IO_STATUS_BLOCK io = {};
  return Nt().setInformation(entry, &io, &deleteFile, sizeof(deleteFile), kFileDispositionInformation);
}

NtStatus MoveOpened(HANDLE entry, const std::wstring& fullPath) {
  return Rename(entry, nullptr, KernelPathOf(fullPath));
}

NtStatus MoveOpenedInto(HANDLE entry, HANDLE folder, const std::wstring& name) {
  return IsOneName(name) ? Rename(entry, folder, name) : kStatusNameInvalid;
}

NtStatus CreateChildFolder(HANDLE parent, const std::wstring& name, KernelHandle& handle) {
  if (!IsOneName(name)) return kStatusNameInvalid;
  return Call(parent, name, kHeldFolder, kCreateNew, handle);
}

NtStatus CreateChildFile(HANDLE parent, const std::wstring& name, KernelHandle& handle) {
  const OpenMode write = {GENERIC_WRITE | DELETE, FILE_SHARE_READ, EntryKind::File,
                          LinkHandling::AsItself};
  return CreateChildWith(parent, name, write, handle);
}

NtStatus CreateChildWith(HANDLE parent, const std::wstring& name, const OpenMode& mode, KernelHandle& handle) {
  if (!IsOneName(name)) return kStatusNameInvalid;
  return Call(parent, name, mode, kCreateNew, handle);
}

bool ReadOpenedInfo(HANDLE entry, BY_HANDLE_FILE_INFORMATION& info) {
  return GetFileInformationByHandle(entry, &info) != FALSE;
}

bool ReadOpenedAttributes(HANDLE entry, DWORD& attributes) {
  struct {
    LARGE_INTEGER creation, lastAccess, lastWrite, change;
    ULONG attributes;
  } basic = {};  // FILE_BASIC_INFORMATION
  IO_STATUS_BLOCK io = {};
  const NtStatus status = Nt().queryInformation(entry, &io, &basic, sizeof(basic), kFileBasicInformation);
  if (!NtSucceeded(status)) {
    SetLastError(ErrorOfStatus(status));
    return false;
  }
  attributes = basic.attributes;
  return true;
}

bool ReadOpenedFileId(HANDLE entry, LONGLONG& id) {
  LARGE_INTEGER index = {};  // FILE_INTERNAL_INFORMATION
  IO_STATUS_BLOCK io = {};
  const NtStatus status = Nt().queryInformation(entry, &io, &index, sizeof(index), kFileInternalInformation);
  if (!NtSucceeded(status)) {
    SetLastError(ErrorOfStatus(status));
    return false;
  }
  id = index.QuadPart;
  return true;
}

bool ReadOpenedInfoWithin(HANDLE entry, const BY_HANDLE_FILE_INFORMATION& within,
                          BY_HANDLE_FILE_INFORMATION& info) {
  DWORD attributes = 0;
  LONGLONG id = 0;
  if (!ReadOpenedAttributes(entry, attributes) || !ReadOpenedFileId(entry, id)) return false;
  info = within;
  info.dwFileAttributes = attributes;
  info.nFileIndexHigh = static_cast<DWORD>(static_cast<ULONGLONG>(id) >> 32);
  info.nFileIndexLow = static_cast<DWORD>(id);
  return true;
}

bool IsOwnedByAdministrators(HANDLE object) {
  SecurityBytes descriptor;
  const PSID owner = OwnerOf(object, descriptor);
  return owner && (IsSid(owner, WellKnownSid::System) || IsSid(owner, WellKnownSid::Administrators) ||
                   IsSid(owner, WellKnownSid::Installer));
}

DWORD ErrorOfStatus(NtStatus status) {
  if (status == kStatusNotSameObject) return Outcome::kErrorRefused;
  return Nt().statusToError ? Nt().statusToError(status) : ERROR_GEN_FAILURE;
}
