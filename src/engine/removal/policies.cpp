#include "engine/removal/policies.h"

#include "engine/removal/backup_policy.h"
#include "engine/removal/live_policy.h"
#include "engine/removal/preview_policy.h"

std::unique_ptr<ChangePolicy> MakePolicy(ChangeMode mode, RunContext& run) {
  switch (mode) {
    case ChangeMode::Preview: return std::unique_ptr<ChangePolicy>(new PreviewPolicy(run));
    case ChangeMode::Backup: return std::unique_ptr<ChangePolicy>(new BackupPolicy(run));
    case ChangeMode::Live: break;
  }
  return std::unique_ptr<ChangePolicy>(new LivePolicy(run));
}
