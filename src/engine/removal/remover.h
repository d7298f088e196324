#pragma once
// The removal primitives of one run, reached through a remover made from the run's context:
// each asks the run's policy once per change, reports what it did to the run's report, and
// returns the Windows error code of the removal (the first one met, for several items;
// Outcome::kErrorRefused for what the safety rules refused), ERROR_SUCCESS when nothing failed.
// Missing keys, values, files and folders are passed over without a report; anything that is
// there but cannot be opened, listed or reached is reported as failed.
//
// A remover works in one account's scope: the running account's (every row as written), or
// another account's, where rows of the current user's roots are taken in that account's
// registry and machine-wide rows are skipped (engine/accounts/account_scope.h).
//
// On Windows NT a path is reached one folder at a time from its drive or share, each folder
// opened relative to the one above it; a folder on the way that is a link is followed only
// when an administrator made it (the system's own junctions), otherwise the item is refused.
// Below a folder the primitives act through handles, by the exact names the listings give.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/accounts/account_scope.h"
#include "engine/core/change_policy.h"
#include "engine/core/handles.h"
#include "engine/core/run_settings.h"
#include "engine/run/run_context.h"

class Remover {
 public:
  explicit Remover(RunContext& run, AccountScope scope = AccountScope()) : run_(&run), scope_(std::move(scope)) {}

  RunContext& run() const { return *run_; }
  ChangePolicy& policy() const { return run_->policy(); }
  const AccountScope& scope() const { return scope_; }
  // The same run's primitives in the running account's scope, for the machine-wide rows of
  // another account's pass.
  Remover ForRunningAccount() const { return Remover(*run_); }

  // ---- files and folders ----
  // Deletes one file (no attribute is changed first, so a read-only file fails).
  DWORD RemoveFile(const std::wstring& path) const;
  // Deletes a folder (path ending in a backslash; one is added when missing) with everything in
  // it, contents first. Never enters a junction or symbolic link (it is removed as a link), and
  // refuses drive roots and the system's own folders.
  DWORD RemoveDirTree(const std::wstring& directory) const;
  // The folder listing of `pattern` (folder_listing.h) for the removals: what the policy counts
  // as gone is left out (a folder counted as gone lists nothing). `reportUnlistable`: a folder
  // that is there but cannot be listed is reported as failed (the listing decides what is
  // deleted).
  bool ListDirectory(const std::wstring& pattern, std::vector<std::wstring>& names,
                     bool reportUnlistable = false) const;

  // ---- the registry: `root` is a predefined root, every path is taken in the scope ----
  // Kills a key and everything below it, depth first. Reported: one line for the named key
  // when it existed; nested keys that stay are stepped over, and then the named key fails.
  // Quiet (a configuration's own entries, which a logged removal takes with their parent
  // later): no line, and it stops at the first nested key that cannot be removed. An empty or
  // broken path is refused.
  LONG DeleteKeyTree(HKEY root, const std::wstring& subKey, Reporting reporting = Reporting::Reported) const;
  // Reported: deletes the values whose name equals `name` ignoring the case of A to Z, one line
  // each. Quiet: deletes the value by the registry's own name match, without a line.
  LONG DeleteValue(HKEY root, const std::wstring& subKey, const std::wstring& name,
                   Reporting reporting = Reporting::Reported) const;
  // Deletes every value whose name contains `word`, ignoring the case of A to Z.
  LONG DeleteValuesContaining(HKEY root, const std::wstring& subKey, const std::wstring& word) const;
  // For each value whose name contains `word` and holds a queue of file operations pending for
  // the next start of Windows, takes out the operations of which a path is the client's
  // (`owner`, rename_queue.h); the value goes when nothing else is left in it, otherwise the
  // rest is written back. One "Delete Reg Val" line per value changed; a value of another kind
  // is left alone.
  LONG TakeQueueOperations(HKEY root, const std::wstring& subKey, const std::wstring& word,
                           const std::u16string& owner) const;
  // Opens the key, creating it empty when it is missing (only where the run changes anything).
  bool EnsureKey(HKEY root, const std::wstring& subKey) const;
  // Opens a key the removal reads; false also when the policy counts it as deleted already.
  bool OpenKey(HKEY root, const std::wstring& subKey, REGSAM access, RegKey& key) const;

  // Runs `step` once for every other account whose registry is at hand, with a remover in
  // that account's scope (user_accounts.h).
  void ForEachOtherAccount(const std::function<void(const Remover&)>& step) const;

 private:
  RunContext* run_;
  AccountScope scope_;
};

// One run as the run flow hands it to each client's removal: what was asked for, the caption
// of the boxes a removal shows ("Purgon " and the file version), and its primitives.
struct Run {
  const RunSettings& settings;
  const char* title;
  const Remover& remove;
};
