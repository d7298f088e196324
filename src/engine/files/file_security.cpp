#include "engine/files/file_security.h"

#include "engine/core/optional_calls.h"

bool ReadSecurity(HANDLE object, SECURITY_INFORMATION what, SecurityBytes& descriptor) {
  DWORD needed = 0;
  GetKernelObjectSecurity(object, what, nullptr, 0, &needed);
  if (needed == 0) return false;
  descriptor.assign(needed, 0);
  return GetKernelObjectSecurity(object, what, descriptor.data(), needed, &needed) != FALSE;
}

bool ReadOwnerAndDacl(HANDLE object, SecurityBytes& descriptor) {
  return ReadSecurity(object, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, descriptor);
}

bool WriteOwnerAndDacl(HANDLE object, const SecurityBytes& descriptor) {
  if (descriptor.empty()) return false;
  SecurityBytes copy = descriptor;  // the call takes a non-const pointer
  return SetKernelObjectSecurity(object, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                 copy.data()) != FALSE;
}

PSID OwnerOf(HANDLE object, SecurityBytes& descriptor) {
  PSID owner = nullptr;
  BOOL defaulted = FALSE;
  if (!ReadSecurity(object, OWNER_SECURITY_INFORMATION, descriptor) ||
      !GetSecurityDescriptorOwner(descriptor.data(), &owner, &defaulted))
    return nullptr;
  return owner;
}

bool DaclOf(HANDLE object, SecurityBytes& descriptor, PACL& dacl) {
  BOOL present = FALSE, defaulted = FALSE;
  dacl = nullptr;
  if (!ReadSecurity(object, DACL_SECURITY_INFORMATION, descriptor) ||
      !GetSecurityDescriptorDacl(descriptor.data(), &present, &dacl, &defaulted))
    return false;
  if (!present) dacl = nullptr;
  return true;
}

ProtectedSecurity::ProtectedSecurity(const std::vector<SidBytes>& accounts) {
  // An allowed entry is its header, its mask and the SID in place of SidStart.
  DWORD size = sizeof(ACL);
  for (const SidBytes& sid : accounts) {
    if (sid.empty()) return;
    size += sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + static_cast<DWORD>(sid.size());
  }
  acl_.assign(size, 0);
  PACL acl = reinterpret_cast<PACL>(acl_.data());
  if (!InitializeAcl(acl, size, ACL_REVISION)) return;
  for (const SidBytes& sid : accounts) {
    const DWORD aceSize = sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + static_cast<DWORD>(sid.size());
    std::vector<BYTE> bytes(aceSize, 0);
    auto* ace = reinterpret_cast<ACCESS_ALLOWED_ACE*>(bytes.data());
    ace->Header.AceType = ACCESS_ALLOWED_ACE_TYPE;
    ace->Header.AceFlags = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
    ace->Header.AceSize = static_cast<WORD>(aceSize);
    ace->Mask = FILE_ALL_ACCESS;
    CopyMemory(&ace->SidStart, sid.data(), sid.size());
    if (!AddAce(acl, ACL_REVISION, MAXDWORD, bytes.data(), aceSize)) return;
  }
  if (!InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) ||
      !SetSecurityDescriptorDacl(&descriptor_, TRUE, acl, FALSE))
    return;
  // Protected from what the folder above hands down, where Windows hands anything down.
  const auto protect = Optional().setSecurityDescriptorControl;
  if (protect && !protect(&descriptor_, SE_DACL_PROTECTED, SE_DACL_PROTECTED)) return;
  built_ = true;
}
