#pragma once
// Where a removal takes the registry rows that name the current user's roots: in the running
// account's own HKEY_CURRENT_USER and HKEY_CLASSES_ROOT, or in another account's registry
// loaded under HKEY_USERS. Rows of the machine's own keys belong to the running account's
// pass alone, so that no machine-wide step runs twice.
#include <windows.h>

#include <string>
#include <utility>

#include "engine/core/handles.h"

struct RegLocation {
  HKEY root = nullptr;
  std::wstring path;
};

// What the removals know of another account: its key under HKEY_USERS (the SID), the key of
// its classes ("" when it has none), and its folders, each ending in a backslash ("" when
// not known).
struct OtherAccount {
  std::wstring userKey;
  std::wstring classesKey;
  std::wstring profile;
  std::wstring desktop;
  std::wstring appData;
  bool appDataCleaned = false;  // already among the all-users application-data folders
};

class AccountScope {
 public:
  // The running account: every row is taken as written.
  AccountScope() = default;
  explicit AccountScope(OtherAccount account) : account_(std::move(account)), other_(true) {}

  bool IsOtherAccount() const { return other_; }
  const OtherAccount& account() const { return account_; }

  // The place of a row in this scope; false when the row is not taken here (a machine-wide
  // row, or a classes row for an account without classes).
  bool Locate(HKEY root, const std::wstring& path, RegLocation& location) const;

 private:
  OtherAccount account_;
  bool other_ = false;
};
