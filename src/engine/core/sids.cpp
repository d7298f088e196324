#include "engine/core/sids.h"

namespace {

struct SidParts {
  BYTE authority;  // the last byte of the six-byte identifier authority
  BYTE count;
  DWORD subAuthorities[6];
};

SidParts PartsOf(WellKnownSid which) {
  switch (which) {
    case WellKnownSid::System: return {5, 1, {18}};
    case WellKnownSid::Administrators: return {5, 2, {32, 544}};
    case WellKnownSid::Users: return {5, 2, {32, 545}};
    case WellKnownSid::Everyone: return {1, 1, {0}};
    case WellKnownSid::AuthenticatedUsers: return {5, 1, {11}};
    case WellKnownSid::Interactive: return {5, 1, {4}};
    case WellKnownSid::Installer:
      return {5, 6, {80, 956008885u, 3418522649u, 1831038044u, 1853292631u, 2271478464u}};
  }
  return {0, 0, {}};
}

}  // namespace

SidBytes SidOf(WellKnownSid which) {
  const SidParts parts = PartsOf(which);
  SID_IDENTIFIER_AUTHORITY authority = {{0, 0, 0, 0, 0, parts.authority}};
  if (parts.count == 0) return SidBytes();
  SidBytes sid(GetSidLengthRequired(parts.count), 0);
  if (!InitializeSid(sid.data(), &authority, parts.count)) return SidBytes();
  for (BYTE i = 0; i < parts.count; ++i) *GetSidSubAuthority(sid.data(), i) = parts.subAuthorities[i];
  return sid;
}

bool IsSid(PSID sid, WellKnownSid which) {
  SidBytes known = SidOf(which);
  return sid && !known.empty() && IsValidSid(sid) && EqualSid(sid, known.data());
}

std::wstring SidText(PSID sid) {
  if (!sid || !IsValidSid(sid)) return std::wstring();
  const SID_IDENTIFIER_AUTHORITY* authority = GetSidIdentifierAuthority(sid);
  ULONGLONG value = 0;
  for (BYTE part : authority->Value) value = (value << 8) | part;
  std::wstring text = L"S-" + std::to_wstring(static_cast<const SID*>(sid)->Revision) + L"-" + std::to_wstring(value);
  const BYTE count = *GetSidSubAuthorityCount(sid);
  for (BYTE i = 0; i < count; ++i) text += L"-" + std::to_wstring(*GetSidSubAuthority(sid, i));
  return text;
}
