#pragma once
// The one place every removal primitive passes before it changes anything, asked once per
// change. In a normal run it lets everything through. In a preview it changes nothing: each
// item is reported as found and counted as gone for the later steps. With a backup, each item
// is first kept by the backup writer; when that cannot be done the item stays and is reported
// as failed.
#include <windows.h>

#include <string>

#include "engine/backup/backup_writer.h"
#include "engine/core/cleanup_context.h"
#include "engine/files/file_calls.h"
#include "engine/removal/gone_items.h"

enum class ChangeMode { Live, Preview, Backup };

// Whether the gate itself reports the item it holds back (found in a preview, failed when its
// backup cannot be written), or the caller's removal stays silent about it.
enum class Reporting { Reported, Quiet };
// What becomes of a value: deleted, or rewritten with part of its data.
enum class ValueChange { Delete, Rewrite };

// What the gate says before a change.
enum class GateSays {
  Go,    // make the change
  Gone,  // a preview counts it as deleted by an earlier step: nothing to do or report
  Held,  // dealt with: found in a preview, or kept in place because its backup failed
};

class ChangeGate {
 public:
  // Set by the run flow before the first removal; a new mode forgets what a preview counted.
  void Begin(ChangeMode mode);
  bool IsPreview() const { return mode_ == ChangeMode::Preview; }

  // A preview's lookups: whether an earlier step would already have deleted the key, or the
  // file or folder. Always false outside a preview.
  bool IsKeyGone(HKEY root, const std::wstring& subKey) const;
  bool IsPathGone(const std::wstring& path) const;

  // Before the key tree `subKey` under the predefined `root` (opened by the caller as `key`)
  // is deleted.
  GateSays BeforeKeyTree(HKEY root, const std::wstring& subKey, HKEY key, Reporting reporting);
  // Before the value `name` of `key` is deleted or rewritten.
  GateSays BeforeValue(HKEY root, const std::wstring& subKey, HKEY key, const std::wstring& name,
                       ValueChange change, Reporting reporting);
  // Before operations are taken out of the queue value `name` (the file operations pending
  // for the next start of Windows): `taken` is their REG_MULTI_SZ data, all a backup keeps of
  // the value, so that a restore adds them back to the queue as it is then.
  GateSays BeforeOperations(HKEY root, const std::wstring& subKey, HKEY key, const std::wstring& name,
                            const std::u16string& taken, ValueChange change);
  // Whether a missing key may be made (never in a preview).
  bool MayMakeKey() const { return !IsPreview(); }

  // Deletes the entry and reports the outcome. A backup keeps it first (a file is moved into
  // the backup, a folder is kept as an empty folder); a preview reports it as found; an entry a
  // preview counts as gone is passed over.
  Outcome Delete(const OpenedEntry& entry);

  // Why no backup could be made; empty while none was refused.
  const std::wstring& backupRefusal() const { return backup_.refusal(); }

 private:
  GateSays Held(int kind, HKEY root, const std::string& text, Reporting reporting);
  Outcome KeepFileOrName(const OpenedEntry& entry);

  ChangeMode mode_ = ChangeMode::Live;
  GoneItems gone_;
  BackupWriter backup_;
};

// The gate of this run, which every removal primitive asks.
ChangeGate& TheChangeGate();
