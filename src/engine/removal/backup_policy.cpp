#include "engine/removal/backup_policy.h"

#include "engine/files/file_calls.h"
#include "engine/run/delete_now.h"
#include "engine/text/wide_text.h"

namespace {

// A backup that could not keep the item: the reason is the backup's.
Outcome KeptOr(bool kept) { return kept ? Outcome::Done() : Outcome::Failed(ERROR_CANNOT_MAKE); }

}  // namespace

GateSays BackupPolicy::KeptOrHeld(bool kept, LogKind kind, HKEY root, const std::wstring& text) {
  if (kept) return GateSays::Go;
  run_.report.ReportResult(kind, KeptOr(false), std::string(RootKeyName(root)) + "\\" + LogText(text));
  return GateSays::Held;
}

GateSays BackupPolicy::BeforeKeyTree(HKEY root, const std::wstring& subKey, HKEY key, Reporting) {
  if (!RootKeyName(root)) return GateSays::Held;  // only the roots' own keys are kept
  return KeptOrHeld(backup_.KeepKeyTree(root, subKey, key), LOG_REG_KEY, root, subKey);
}

GateSays BackupPolicy::BeforeValue(HKEY root, const std::wstring& subKey, HKEY key, const std::wstring& name,
                                   ValueChange, Reporting) {
  if (!RootKeyName(root)) return GateSays::Held;
  return KeptOrHeld(backup_.KeepValue(root, subKey, key, name), LOG_REG_VALUE, root, subKey + L" - " + name);
}

GateSays BackupPolicy::BeforeOperations(HKEY root, const std::wstring& subKey, HKEY, const std::wstring& name,
                                        const std::u16string& taken, ValueChange) {
  if (!RootKeyName(root)) return GateSays::Held;
  return KeptOrHeld(backup_.KeepOperations(root, subKey, name, taken), LOG_REG_VALUE, root,
                    subKey + L" - " + name);
}

// A file with other names is not copied into a backup: only this name goes.
Outcome BackupPolicy::KeepFileOrName(const OpenedEntry& entry) {
  switch (backup_.KeepFile(entry)) {
    case BackupWriter::FileKept::Kept: return Outcome::Done();
    case BackupWriter::FileKept::Linked:
      run_.report.ReportLinkedNotKept(LogText(entry.path));
      return DeleteNow(run_, entry);
    case BackupWriter::FileKept::Failed: break;
  }
  return KeptOr(false);
}

Outcome BackupPolicy::Delete(const OpenedEntry& entry) {
  Outcome outcome = Outcome::Done();
  if (entry.kind != LOG_DIR)
    outcome = KeepFileOrName(entry);
  else
    outcome = backup_.KeepFolder(entry.path) ? DeleteNow(run_, entry) : KeptOr(false);
  run_.report.ReportResult(entry.kind, outcome, LogText(entry.path));
  return outcome;
}
