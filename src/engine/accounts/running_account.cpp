#include "engine/accounts/running_account.h"

#include <windows.h>

#include <vector>

#include "engine/core/handles.h"
#include "engine/core/optional_calls.h"

namespace {

// The token information `kind` of this process; empty when it cannot be read.
std::vector<BYTE> TokenInformation(TOKEN_INFORMATION_CLASS kind) {
  KernelHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Receive())) return {};
  DWORD size = 0;
  GetTokenInformation(token.get(), kind, nullptr, 0, &size);
  std::vector<BYTE> buffer(size);
  if (size == 0 || !GetTokenInformation(token.get(), kind, buffer.data(), size, &size)) return {};
  return buffer;
}

// Whether the group is enabled in this process's token: CheckTokenMembership where Windows has
// it (2000 on), else the token's own list of groups (which NT 4 gives the same way).
bool HasEnabledGroup(WellKnownSid group) {
  SidBytes sid = SidOf(group);
  if (sid.empty()) return false;
  if (const auto check = Optional().checkTokenMembership) {
    BOOL member = FALSE;
    return check(nullptr, sid.data(), &member) && member;
  }
  const std::vector<BYTE> buffer = TokenInformation(TokenGroups);
  if (buffer.empty()) return false;
  const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
  for (DWORD i = 0; i < groups->GroupCount; ++i) {
    const SID_AND_ATTRIBUTES& entry = groups->Groups[i];
    if ((entry.Attributes & SE_GROUP_ENABLED) && !(entry.Attributes & SE_GROUP_USE_FOR_DENY_ONLY) &&
        EqualSid(entry.Sid, sid.data()))
      return true;
  }
  return false;
}

}  // namespace

SidBytes RunningAccountSid() {
  const std::vector<BYTE> buffer = TokenInformation(TokenUser);
  if (buffer.empty()) return SidBytes();
  const PSID user = reinterpret_cast<const TOKEN_USER*>(buffer.data())->User.Sid;
  if (!IsValidSid(user)) return SidBytes();
  return SidBytes(static_cast<BYTE*>(user), static_cast<BYTE*>(user) + GetLengthSid(user));
}

std::wstring RunningAccountSidText() {
  SidBytes sid = RunningAccountSid();
  return sid.empty() ? std::wstring() : SidText(sid.data());
}

bool IsElevatedRun() {
  if (OnWindows9x()) return false;  // one account, no rights to tell apart
  const std::vector<BYTE> elevation = TokenInformation(TokenElevation);  // Vista on
  if (elevation.size() >= sizeof(TOKEN_ELEVATION) &&
      reinterpret_cast<const TOKEN_ELEVATION*>(elevation.data())->TokenIsElevated)
    return true;
  SidBytes user = RunningAccountSid();
  if (!user.empty() && IsSid(user.data(), WellKnownSid::System)) return true;
  return HasEnabledGroup(WellKnownSid::Administrators);
}
