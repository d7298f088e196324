#include "engine/backup/backup_restore.h"

#include <windows.h>

#include <vector>

#include "engine/backup/backup_names.h"
#include "engine/backup/backup_root.h"
#include "engine/backup/restorer.h"
#include "engine/core/cleanup_context.h"
#include "engine/text/text_utils.h"
#include "engine/text/wide_text.h"

Restorer::Restorer(RunContext& run, HANDLE backup, const std::wstring& folder,
                   const std::vector<std::u16string>& queueOwners)
    : run_(run),
      backup_(backup),
      folder_(folder),
      preview_(run.policy().ChangesNothing()),
      mode_(preview_ ? PutMode::Look : PutMode::Act),
      queueOwners_(queueOwners),
      accounts_(run.accounts) {}

// What is put back is reported as the policy says (found, in a look); what stays, as failed.
void Restorer::Report(LogKind kind, bool succeeded, const std::wstring& item) {
  const std::string text = LogText(item);
  if (succeeded) {
    run_.policy().ReportDone(kind, text);
    ++restored_;
  } else {
    run_.report.ReportResult(kind, false, text);
    ++stayed_;
  }
}


RestoreOutcome RestoreBackup(RunContext& run, const std::string& name, const std::vector<std::string>& queueOwners) {
  RestoreOutcome outcome;
  BackupRoot root;
  CheckedFolder backup;
  BackupPlaceResult place = root.Open();
  if (place.ok()) place = root.OpenBackup(name, backup);
  if (!place.ok()) {
    // No backup at all is no fault; one that was asked for and is not there, or one that
    // fails the checks, is.
    if (place.outcome != BackupPlaceOutcome::NoBackup || !name.empty())
      outcome.problem = LogText(place.reason);
    return outcome;
  }
  const std::wstring folder = WithoutTrailingBackslashes(backup.path());
  outcome.folder = LogText(folder);
  std::vector<std::u16string> owners;
  for (const std::string& owner : queueOwners) owners.emplace_back(owner.begin(), owner.end());
  Restorer restorer(run, backup.handle(), backup.path(), owners);
  restorer.RestoreRegistry();
  restorer.RestoreFiles();
  restorer.RestoreQueues();
  outcome.restored = restorer.restored();
  // Renamed only when everything went back: a later restore can finish a partial one.
  if (run.policy().ChangesNothing() || restorer.stayed() > 0) return outcome;
  backup.Release();
  if (!MoveFileW(folder.c_str(), (folder + Widen(kRestoredSuffix)).c_str()))
    run.report.NoteFailure(outcome.folder, GetLastError());
  return outcome;
}
