#include "engine/files/file_copy.h"

namespace {

// Makes the file `name` in `folder` to receive a copy: written, and its owner and DACL set.
NtStatus CreateCopyTarget(HANDLE folder, const std::wstring& name, KernelHandle& target) {
  const OpenMode write = {GENERIC_WRITE | DELETE | WRITE_DAC | WRITE_OWNER, FILE_SHARE_READ,
                          EntryKind::File, LinkHandling::AsItself};
  return CreateChildWith(folder, name, write, target);
}

bool CopyBytes(HANDLE source, HANDLE target) {
  std::vector<char> buffer(64 * 1024);
  for (;;) {
    DWORD got = 0, written = 0;
    if (!ReadFile(source, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) return false;
    if (got == 0) return FlushFileBuffers(target) != FALSE;
    if (!WriteFile(target, buffer.data(), got, &written, nullptr) || written != got) return false;
  }
}

}  // namespace

const OpenMode kFileToCopy = {GENERIC_READ | READ_CONTROL, kShareAllAccess, EntryKind::File,
                              LinkHandling::AsItself};

bool ReadOpenedLinkCount(HANDLE file, DWORD& links) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!ReadOpenedInfo(file, info)) return false;
  links = info.nNumberOfLinks;
  return true;
}

bool CopyOpenedFile(HANDLE source, HANDLE folder, const std::wstring& name) {
  SecurityBytes security;
  if (!ReadOwnerAndDacl(source, security)) return false;
  KernelHandle target;
  if (!NtSucceeded(CreateCopyTarget(folder, name, target))) return false;
  // The permissions first: the bytes never lie in the new file under the folder's own.
  if (WriteOwnerAndDacl(target.get(), security) && CopyBytes(source, target.get()))
    return true;
  DeleteOpened(target.get());
  return false;
}
