#include "engine/files/change_rights.h"

namespace {

// Whether the entry grants one of `rights` to an account not trusted. Entries of kinds whose
// account is not at the common place count when they grant such a right.
bool GrantsUntrusted(const ACE_HEADER* ace, ACCESS_MASK rights, const std::function<bool(PSID)>& trusted,
                     PSID& account) {
  account = nullptr;
  if (ace->AceFlags & INHERIT_ONLY_ACE) return false;
  const auto* allowed = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(ace);
  switch (ace->AceType) {
    case ACCESS_ALLOWED_ACE_TYPE:
    case ACCESS_ALLOWED_CALLBACK_ACE_TYPE:
      account = const_cast<DWORD*>(&allowed->SidStart);
      return (allowed->Mask & rights) && !trusted(account);
    case ACCESS_DENIED_ACE_TYPE:
    case ACCESS_DENIED_OBJECT_ACE_TYPE:
    case ACCESS_DENIED_CALLBACK_ACE_TYPE:
    case ACCESS_DENIED_CALLBACK_OBJECT_ACE_TYPE:
    case SYSTEM_AUDIT_ACE_TYPE:
    case SYSTEM_ALARM_ACE_TYPE:
      return false;
    default:  // the mask is at the same place in every kind of entry
      return (allowed->Mask & rights) != 0;
  }
}

}  // namespace

ChangeGrant FindChangeGrant(HANDLE object, ACCESS_MASK rights, const std::function<bool(PSID)>& trusted,
                            SecurityBytes& descriptor) {
  ChangeGrant grant;
  PACL dacl = nullptr;
  if (!DaclOf(object, descriptor, dacl)) return grant;
  if (!dacl) {
    grant.verdict = ChangeVerdict::NoDacl;
    return grant;
  }
  for (DWORD index = 0; index < dacl->AceCount; ++index) {
    void* ace = nullptr;
    if (!GetAce(dacl, index, &ace)) return ChangeGrant();
    if (GrantsUntrusted(static_cast<const ACE_HEADER*>(ace), rights, trusted, grant.account)) {
      grant.verdict = ChangeVerdict::Granted;
      return grant;
    }
  }
  grant.verdict = ChangeVerdict::NobodyElse;
  grant.account = nullptr;
  return grant;
}
