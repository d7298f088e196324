#pragma once
// One run as the engine sees it: where it reports, the file calls it makes, the other accounts
// and the safety net as this run gathers them, and what it may change. The run flow makes one
// and hands it down; the removals reach it through a remover made from it
// (removal/remover.h), the restore takes it whole. Nothing of a run outlives it.
#include <memory>

#include "engine/accounts/user_accounts.h"
#include "engine/core/change_policy.h"
#include "engine/core/cleanup_context.h"
#include "engine/files/file_calls.h"
#include "engine/safety/protected_folders.h"

class RunContext {
 public:
  // The policy is chosen once, after the context is made (removal/policies.h): the policies
  // report and delete through it.
  explicit RunContext(CleanupContext& report)
      : report(report), files(RealFileCalls()), accounts(report, files), safety(accounts, files) {}
  RunContext(const RunContext&) = delete;
  RunContext& operator=(const RunContext&) = delete;

  void Use(std::unique_ptr<ChangePolicy> chosen) { policy_ = std::move(chosen); }
  ChangePolicy& policy() const { return *policy_; }

  CleanupContext& report;
  // The real file calls; a test replaces single entries.
  FileCalls files;
  OtherAccounts accounts;
  SafetyNet safety;

 private:
  std::unique_ptr<ChangePolicy> policy_;
};
