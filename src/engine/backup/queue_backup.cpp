// The queue's part of a backup and of its restore, side by side: of the queue of file
// operations pending for the next start of Windows, the backup keeps only the client's
// operations the removal took out, and the restore adds back only those whose every path is
// the client's, to the queue as it is then (rename_queue.h).
#include <windows.h>

#include <vector>

#include "engine/backup/backup_writer.h"
#include "engine/backup/kept_registry.h"
#include "engine/backup/restorer.h"
#include "engine/core/handles.h"
#include "engine/files/path_facts.h"
#include "engine/registry/reg_file.h"
#include "engine/registry/registry.h"
#include "engine/registry/rename_queue.h"
#include "engine/text/wide_text.h"

namespace {

bool SourceExists(const std::u16string& queued) {
  const std::u16string path = QueuedFilePath(queued);
  return PathExists(std::wstring(path.begin(), path.end()));
}


}  // namespace

bool BackupWriter::KeepOperations(HKEY root, const std::wstring& subKey, const std::wstring& name,
                                  const std::u16string& taken) {
  const std::wstring path = FullKeyPath(root, subKey);
  const std::string bytes = BytesOfUtf16(taken);
  RegFileValue value;
  value.name = LogText(name);
  value.type = REG_MULTI_SZ;
  value.data = AnsiBytes(bytes);
  value.hasWide = true;
  value.wide = bytes;
  std::string text, line;
  if (path.empty() || !AppendKeyLine(path, text) || !FormatRegValueLine(value, line)) return false;
  text += line + FormatRegWideLine(value.wide) + FormatRegOperationsOnlyLine();
  return Write(text);
}

void Restorer::RestoreQueues() {
  for (const Queue& queue : queues_) {
    RegKey key;
    const bool opened = preview_ || OpenKey(queue.root, queue.subKey, kKeyReadWrite, key) == ERROR_SUCCESS;
    const ValueBack back = opened ? AddOperationsBack(key.get(), queue.name, queue.value) : ValueBack::Stays;
    if (back != ValueBack::Already) Report(LOG_RESTORE_VALUE, back == ValueBack::Set, queue.text);
  }
}


// The queue's operations go back into the queue as it is now: only those the removal took
// out, only those not queued again, only those whose file is still there.
Restorer::ValueBack Restorer::AddOperationsBack(HKEY key, const std::wstring& name, const RegFileValue& value) {
  const std::u16string kept = Utf16OfBytes(value.wide);
  std::u16string current;
  DWORD type = 0;
  std::string bytes;
  if (key && ReadRegValueWide(key, name, type, bytes) &&
      !PendingQueueFromValue(type, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), current))
    return ValueBack::Stays;  // a value of another kind: not ours to change
  RenameQueueMerge merge;
  const auto isOwn = [this](const RenameOperation& operation) { return IsClientsOperation(operation); };
  if (!MergeRenameOperations(current, kept, isOwn, SourceExists, merge)) return ValueBack::Stays;
  // An operation that is not the client's stays in the backup, whatever becomes of the others.
  const ValueBack done = merge.foreign.empty() ? ValueBack::Set : ValueBack::Stays;
  if (merge.added.empty() && merge.sourceGone.empty() && merge.foreign.empty()) return ValueBack::Already;
  if (preview_ || merge.added.empty()) return done;
  const bool set = SetValue(key, name, REG_MULTI_SZ, BytesOfUtf16(merge.data)) == ERROR_SUCCESS;
  return set ? done : ValueBack::Stays;
}

// The operation is one a removal of a client takes out and a restore may queue again.
bool Restorer::IsClientsOperation(const RenameOperation& operation) const {
  for (const std::u16string& owner : queueOwners_)
    if (IsOwnOperation(operation, owner)) return true;
  return false;
}

