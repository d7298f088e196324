#pragma once
// The other user accounts of the PC and their registries. Both clients run their per-user
// steps once more for each of them, through one loop: the account is found in the profile
// list, its registry is used where it is loaded or loaded from its profile for the time of
// the steps, and the steps see it through an account scope.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/accounts/account_scope.h"

struct UserAccount {
  std::wstring sid;
  std::wstring profile;  // the profile folder, without a trailing backslash
};

// The user accounts of the profile list other than the running one, in enumeration order,
// each with a profile folder that may be used: checked by its spelling and by what it is on
// disk, so that no spelling ("C:\PROGRA~1", "C:\Users\..\Windows") passes for a profile.
// Read on the first call.
const std::vector<UserAccount>& ListOtherUserAccounts();

// Runs `step` once for every other account whose registry is at hand. A profile without a
// registry file is passed over silently; a registry file that is there but cannot be read or
// loaded is reported as a failure (once per run) and its account passed over. Every registry loaded here is
// unloaded before the next account, whatever the step did.
void ForEachOtherUserAccount(const std::function<void(const AccountScope&)>& step);

// The other accounts' registries a restore writes into: each is used where it is loaded, or
// loaded from the account's profile (as the removal loads it) and unloaded when the object
// goes.
class AccountRegistries {
 public:
  AccountRegistries();
  ~AccountRegistries();
  AccountRegistries(const AccountRegistries&) = delete;
  AccountRegistries& operator=(const AccountRegistries&) = delete;

  // True when HKEY_USERS\<key> (an account's SID, or its SID with "_Classes") is at hand.
  bool Mount(const std::wstring& key);

 private:
  struct Held;
  std::unique_ptr<Held> held_;
};
