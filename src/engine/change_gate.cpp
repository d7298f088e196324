#include "engine/change_gate.h"

#include "engine/backup_writer.h"
#include "engine/cleanup_context.h"
#include "engine/file_calls.h"
#include "engine/gone_items.h"
#include "engine/wide_text.h"

namespace {

struct GateState {
  ChangeMode mode = CHANGE_LIVE;
  GoneItems gone;
};

GateState& State() {
  static GateState state;
  return state;
}

std::string KeyText(const std::wstring& subKey) { return LogText(subKey); }

// Deletes the entry now: through its handle, or on Windows 9x by its path.
bool DeleteNow(const OpenedEntry& entry) {
  if (entry.handle) return NtSucceeded(TheFileCalls().deleteOpened(entry.handle, entry.path));
  const std::string path = LogText(entry.path);
  if (path.find('?') != std::string::npos) return false;
  return (entry.kind == LOG_DIR ? RemoveDirectoryA(path.c_str()) : DeleteFileA(path.c_str())) != FALSE;
}

bool KeepInBackup(const OpenedEntry& entry) {
  return entry.kind == LOG_DIR ? KeepFolderInBackup(entry.path) && DeleteNow(entry)
                               : MoveFileIntoBackup(entry);
}

}  // namespace

void SetChangeMode(ChangeMode mode) {
  GateState& state = State();
  state.mode = mode;
  state.gone.Clear();
}

ChangeMode CurrentChangeMode() { return State().mode; }

bool IsRegKeyGone(HKEY root, const std::wstring& subKey) {
  const char* rootName = RootKeyName(root);
  return IsPreview() && rootName && State().gone.IsKeyGone(rootName, Utf8Of(subKey));
}

bool IsRegValueGone(HKEY root, const std::wstring& subKey, const std::wstring& name) {
  const char* rootName = RootKeyName(root);
  return IsPreview() && rootName &&
         State().gone.IsValueGone(rootName, Utf8Of(subKey), Utf8Of(name));
}

bool IsPathGone(const std::wstring& path) {
  return IsPreview() && State().gone.IsPathGone(Utf8Of(path));
}

bool MayDeleteKeyTree(HKEY root, const std::wstring& subKey, HKEY key, Reporting reporting) {
  GateState& state = State();
  const char* rootName = RootKeyName(root);
  switch (state.mode) {
    case CHANGE_LIVE: return true;
    case CHANGE_PREVIEW:
      if (rootName) state.gone.MarkKey(rootName, Utf8Of(subKey));
      if (reporting == Reporting::Reported)
        TheCleanupContext().ReportRegFound(LOG_REG_KEY, root, KeyText(subKey));
      return false;
    case CHANGE_BACKUP:
      if (rootName && BackupKeyTree(root, subKey, key)) return true;
      TheCleanupContext().ReportRegKey(root, KeyText(subKey), false);
      return false;
  }
  return false;
}

bool MayChangeValue(HKEY root, const std::wstring& subKey, HKEY key, const std::wstring& name,
                    ValueChange change, Reporting reporting) {
  GateState& state = State();
  const char* rootName = RootKeyName(root);
  const std::string text = LogText(subKey + L" - " + name);
  switch (state.mode) {
    case CHANGE_LIVE: return true;
    case CHANGE_PREVIEW:
      if (change == ValueChange::Delete && rootName)
        state.gone.MarkValue(rootName, Utf8Of(subKey), Utf8Of(name));
      if (reporting == Reporting::Reported)
        TheCleanupContext().ReportRegFound(LOG_REG_VALUE, root, text);
      return false;
    case CHANGE_BACKUP:
      if (rootName && BackupValue(root, subKey, key, name)) return true;
      TheCleanupContext().ReportRegValue(root, text, false);
      return false;
  }
  return false;
}

bool MayTakeOperations(HKEY root, const std::wstring& subKey, HKEY key, const std::wstring& name,
                       const std::u16string& taken, ValueChange change) {
  if (State().mode != CHANGE_BACKUP)
    return MayChangeValue(root, subKey, key, name, change, Reporting::Reported);
  if (RootKeyName(root) && BackupOperations(root, subKey, name, taken)) return true;
  TheCleanupContext().ReportRegValue(root, LogText(subKey + L" - " + name), false);
  return false;
}

void DeleteThroughGate(const OpenedEntry& entry) {
  GateState& state = State();
  const std::string text = LogText(entry.path);
  switch (state.mode) {
    case CHANGE_LIVE: TheCleanupContext().ReportResult(entry.kind, DeleteNow(entry), text); return;
    case CHANGE_PREVIEW:
      state.gone.MarkPath(Utf8Of(entry.path));
      TheCleanupContext().ReportFound(entry.kind, text);
      return;
    case CHANGE_BACKUP: TheCleanupContext().ReportResult(entry.kind, KeepInBackup(entry), text); return;
  }
}
