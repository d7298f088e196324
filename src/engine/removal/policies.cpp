#include "engine/removal/policies.h"

#include "engine/files/file_calls.h"
#include "engine/files/files_9x.h"
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

Outcome DeleteNow(RunContext& run, const OpenedEntry& entry) {
  if (entry.handle) {
    const NtStatus status = run.files.deleteOpened(entry.handle, entry.path);
    return NtSucceeded(status) ? Outcome::Done() : Outcome::Failed(ErrorOfStatus(status));
  }
  const DWORD error = Win9xDelete(entry.path, entry.kind == LOG_DIR);
  return error == ERROR_SUCCESS ? Outcome::Done() : Outcome::Failed(error);
}
