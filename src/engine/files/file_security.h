#pragma once
// Owners and permissions of open files and folders, through the calls Windows NT 3.1 has
// (GetKernelObjectSecurity and its kin), and the protected permissions the program gives
// what it makes for itself. Windows 9x has none of this: its callers ask OnWindows9x() first.
#include <windows.h>

#include <vector>

#include "engine/core/sids.h"

// A self-relative security descriptor as read from an object.
using SecurityBytes = std::vector<BYTE>;

// The parts `what` (OWNER_SECURITY_INFORMATION, DACL_SECURITY_INFORMATION, ...) of the open
// object's security descriptor; the object was opened with READ_CONTROL.
bool ReadSecurity(HANDLE object, SECURITY_INFORMATION what, SecurityBytes& descriptor);

// The owner and DACL of an open object, as a self-relative descriptor.
bool ReadOwnerAndDacl(HANDLE object, SecurityBytes& descriptor);

// Gives the open object (opened with WRITE_DAC and WRITE_OWNER) exactly that owner and DACL.
// Another account as owner takes the restore privilege.
bool WriteOwnerAndDacl(HANDLE object, const SecurityBytes& descriptor);

// The owner of an open object; null when it cannot be read. Points into `descriptor`.
PSID OwnerOf(HANDLE object, SecurityBytes& descriptor);

// The DACL of an open object: `dacl` null with true means there is none (everyone may do
// everything); false when it cannot be read. Points into `descriptor`.
bool DaclOf(HANDLE object, SecurityBytes& descriptor, PACL& dacl);

// A security descriptor that gives each of `accounts` full control of a folder and all below
// it, and nobody else anything: nothing is inherited from the folder above (where Windows
// knows inheritance, from Windows 2000 on). For the SECURITY_ATTRIBUTES of what is made.
class ProtectedSecurity {
 public:
  explicit ProtectedSecurity(const std::vector<SidBytes>& accounts);
  ProtectedSecurity(const ProtectedSecurity&) = delete;
  ProtectedSecurity& operator=(const ProtectedSecurity&) = delete;
  // Null when it could not be built.
  PSECURITY_DESCRIPTOR get() { return built_ ? &descriptor_ : nullptr; }

 private:
  SECURITY_DESCRIPTOR descriptor_;
  std::vector<BYTE> acl_;
  bool built_ = false;
};
