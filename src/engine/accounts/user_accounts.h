#pragma once
// The other user accounts of the PC and their registries.
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/accounts/account_scope.h"
#include "engine/core/cleanup_context.h"
#include "engine/files/file_calls.h"

struct UserAccount {
  std::wstring sid;
  std::wstring profile;  // the profile folder, without a trailing backslash
};

// The other user accounts of the PC as one run sees them. Both clients run their per-user steps
// once more for each of them, through one loop: the account is found in the profile list, its
// registry is used where it is loaded or loaded from its profile for the time of the steps, and
// the steps see it through an account scope.
class OtherAccounts {
 public:
  // `report` takes the registry files that could not be read, `files` lists the profiles.
  OtherAccounts(CleanupContext& report, const FileCalls& files) : report_(report), files_(files) {}
  OtherAccounts(const OtherAccounts&) = delete;
  OtherAccounts& operator=(const OtherAccounts&) = delete;

  // The user accounts of the profile list other than the running one, in enumeration order,
  // each with a profile folder that may be used: checked by its spelling and by what it is on
  // disk, so that no spelling ("C:\PROGRA~1", "C:\Users\..\Windows") passes for a profile.
  // Read on the first call of the run; none on Windows 9x, which has one account.
  const std::vector<UserAccount>& List();

  // Runs `step` once for every other account whose registry is at hand. A profile without a
  // registry file is passed over silently; a registry file that is there but cannot be read or
  // loaded is reported as a failure (once per run) and its account passed over. Every registry
  // loaded here is unloaded before the next account, whatever the step did.
  void ForEach(const std::function<void(const AccountScope&)>& step);

  // A registry file that could not be loaded or unloaded, reported once per run: both clients
  // pass every account.
  void ReportHiveOnce(const std::wstring& file);

 private:
  CleanupContext& report_;
  const FileCalls& files_;
  bool read_ = false;
  std::vector<UserAccount> accounts_;
  std::set<std::wstring> reported_;
};

// The other accounts' registries a restore writes into: each is used where it is loaded, or
// loaded from the account's profile (as the removal loads it) and unloaded when the object
// goes.
class AccountRegistries {
 public:
  explicit AccountRegistries(OtherAccounts& accounts);
  ~AccountRegistries();
  AccountRegistries(const AccountRegistries&) = delete;
  AccountRegistries& operator=(const AccountRegistries&) = delete;

  // True when HKEY_USERS\<key> (an account's SID, or its SID with "_Classes") is at hand.
  bool Mount(const std::wstring& key);

 private:
  struct Held;
  OtherAccounts& accounts_;
  std::unique_ptr<Held> held_;
};
