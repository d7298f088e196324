#include "engine/removal/change_gate.h"

#include "engine/core/cleanup_context.h"
#include "engine/files/file_calls.h"
#include "engine/files/files_9x.h"
#include "engine/text/wide_text.h"

namespace {

// Deletes the entry now: through its handle, or on Windows 9x by its path.
Outcome DeleteNow(const OpenedEntry& entry) {
  if (entry.handle) {
    const NtStatus status = TheFileCalls().deleteOpened(entry.handle, entry.path);
    return NtSucceeded(status) ? Outcome::Done() : Outcome::Failed(ErrorOfStatus(status));
  }
  const DWORD error = Win9xDelete(entry.path, entry.kind == LOG_DIR);
  return error == ERROR_SUCCESS ? Outcome::Done() : Outcome::Failed(error);
}

// A backup that could not keep the item: the reason is the backup's.
Outcome KeptOr(bool kept) { return kept ? Outcome::Done() : Outcome::Failed(ERROR_CANNOT_MAKE); }

}  // namespace

void ChangeGate::Begin(ChangeMode mode) {
  mode_ = mode;
  gone_.Clear();
}

bool ChangeGate::IsKeyGone(HKEY root, const std::wstring& subKey) const {
  const char* rootName = RootKeyName(root);
  return IsPreview() && rootName && gone_.IsKeyGone(rootName, Utf8Of(subKey));
}

bool ChangeGate::IsPathGone(const std::wstring& path) const {
  return IsPreview() && gone_.IsPathGone(Utf8Of(path));
}

// A preview reports the item as found (when the caller reports); a failed backup as failed.
GateSays ChangeGate::Held(int kind, HKEY root, const std::string& text, Reporting reporting) {
  if (IsPreview()) {
    if (reporting == Reporting::Reported) TheCleanupContext().ReportRegFound(kind, root, text);
  } else {
    TheCleanupContext().ReportResult(kind, Outcome::Failed(ERROR_CANNOT_MAKE),
                                     std::string(RootKeyName(root)) + "\\" + text);
  }
  return GateSays::Held;
}

GateSays ChangeGate::BeforeKeyTree(HKEY root, const std::wstring& subKey, HKEY key,
                                   Reporting reporting) {
  const char* rootName = RootKeyName(root);
  if (mode_ == ChangeMode::Live) return GateSays::Go;
  if (!rootName) return GateSays::Held;  // only the roots' own keys are kept or counted
  if (IsKeyGone(root, subKey)) return GateSays::Gone;
  if (mode_ == ChangeMode::Preview) gone_.MarkKey(rootName, Utf8Of(subKey));
  if (mode_ == ChangeMode::Backup && backup_.KeepKeyTree(root, subKey, key)) return GateSays::Go;
  return Held(LOG_REG_KEY, root, LogText(subKey), reporting);
}

GateSays ChangeGate::BeforeValue(HKEY root, const std::wstring& subKey, HKEY key,
                                 const std::wstring& name, ValueChange change, Reporting reporting) {
  const char* rootName = RootKeyName(root);
  if (mode_ == ChangeMode::Live) return GateSays::Go;
  if (!rootName) return GateSays::Held;
  if (IsPreview() && gone_.IsValueGone(rootName, Utf8Of(subKey), Utf8Of(name))) return GateSays::Gone;
  if (IsPreview() && change == ValueChange::Delete)
    gone_.MarkValue(rootName, Utf8Of(subKey), Utf8Of(name));
  if (mode_ == ChangeMode::Backup && backup_.KeepValue(root, subKey, key, name)) return GateSays::Go;
  return Held(LOG_REG_VALUE, root, LogText(subKey + L" - " + name), reporting);
}

GateSays ChangeGate::BeforeOperations(HKEY root, const std::wstring& subKey, HKEY key,
                                      const std::wstring& name, const std::u16string& taken,
                                      ValueChange change) {
  if (mode_ != ChangeMode::Backup) return BeforeValue(root, subKey, key, name, change, Reporting::Reported);
  if (!RootKeyName(root)) return GateSays::Held;
  if (backup_.KeepOperations(root, subKey, name, taken)) return GateSays::Go;
  return Held(LOG_REG_VALUE, root, LogText(subKey + L" - " + name), Reporting::Reported);
}

// A file with other names is not copied into a backup: only this name goes.
Outcome ChangeGate::KeepFileOrName(const OpenedEntry& entry) {
  switch (backup_.KeepFile(entry)) {
    case BackupWriter::FileKept::Kept: return Outcome::Done();
    case BackupWriter::FileKept::Linked:
      TheCleanupContext().ReportLinkedNotKept(LogText(entry.path));
      return DeleteNow(entry);
    case BackupWriter::FileKept::Failed: break;
  }
  return KeptOr(false);
}

Outcome ChangeGate::Delete(const OpenedEntry& entry) {
  const std::string text = LogText(entry.path);
  Outcome outcome = Outcome::Done();
  switch (mode_) {
    case ChangeMode::Live: outcome = DeleteNow(entry); break;
    case ChangeMode::Preview:
      if (IsPathGone(entry.path)) return outcome;
      gone_.MarkPath(Utf8Of(entry.path));
      TheCleanupContext().ReportFound(entry.kind, text);
      return outcome;
    case ChangeMode::Backup:
      if (entry.kind != LOG_DIR)
        outcome = KeepFileOrName(entry);
      else
        outcome = backup_.KeepFolder(entry.path) ? DeleteNow(entry) : KeptOr(false);
      break;
  }
  TheCleanupContext().ReportResult(entry.kind, outcome, text);
  return outcome;
}

ChangeGate& TheChangeGate() {
  static ChangeGate gate;
  return gate;
}
