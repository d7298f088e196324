#include "engine/files/file_calls.h"

namespace {

NtStatus RealListFolder(HANDLE folder, const std::wstring& mask, std::vector<ListedEntry>& entries,
                        const std::wstring&) {
  return ListFolder(folder, mask, entries);
}

NtStatus RealDeleteOpened(HANDLE entry, const std::wstring&) { return DeleteOpened(entry); }

const FileCalls kRealFileCalls = {OpenChild, RealListFolder, RealDeleteOpened,
                                  IsOwnedByAdministrators};

}  // namespace

const FileCalls& RealFileCalls() { return kRealFileCalls; }
