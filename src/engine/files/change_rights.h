#pragma once
// Who may change an open file or folder, as its DACL says: the check the backup folders and
// the launcher's program and folders pass before they are trusted.
#include <windows.h>

#include <functional>

#include "engine/files/file_security.h"

enum class ChangeVerdict {
  NobodyElse,  // no allowed entry grants the rights to an account the caller does not trust
  Granted,     // one does (`account`)
  NoDacl,      // the object has no DACL: everyone may do everything
  Unreadable,  // the DACL cannot be read: nobody can tell
};

struct ChangeGrant {
  ChangeVerdict verdict = ChangeVerdict::Unreadable;
  // The account of the entry that grants; null for an entry of a kind that names its account
  // elsewhere (object entries), which counts whoever it names. Points into the descriptor.
  PSID account = nullptr;
};

// Reads the DACL of `object` (opened with READ_CONTROL) into `descriptor` and finds the first
// allowed entry that applies to the object itself (not only to what is made below it) and
// grants one of `rights` to an account `trusted` does not accept. Denied entries take nothing
// away: a user denied a right by one entry may hold it through a group another grants.
ChangeGrant FindChangeGrant(HANDLE object, ACCESS_MASK rights, const std::function<bool(PSID)>& trusted,
                            SecurityBytes& descriptor);
