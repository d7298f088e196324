#pragma once
// The one place every removal primitive passes before it changes anything. In a normal run it
// lets everything through. In a preview it changes nothing: each item is reported as found and
// counted as gone for the later steps. With a backup, each item is first kept by the backup
// writer (registry items written to its registry file, files moved into it); when that cannot
// be done the item stays and is reported as failed.
#include <windows.h>

#include <string>

enum ChangeMode { CHANGE_LIVE, CHANGE_PREVIEW, CHANGE_BACKUP };

// Set by the run flow before the first removal.
void SetChangeMode(ChangeMode mode);
ChangeMode CurrentChangeMode();
// For the clients: in a preview nothing is started, asked to shut down or created.
inline bool IsPreview() { return CurrentChangeMode() == CHANGE_PREVIEW; }

// In a preview, whether an earlier step would already have deleted the item. `root` must be a
// predefined root; always false outside a preview.
bool IsRegKeyGone(HKEY root, const std::wstring& subKey);
bool IsRegValueGone(HKEY root, const std::wstring& subKey, const std::wstring& name);
bool IsPathGone(const std::wstring& path);

// Whether the gate itself reports the item it holds back (found in a preview, failed when its
// backup cannot be written), or the caller's removal stays silent about it.
enum class Reporting { Reported, Quiet };
// What becomes of a value: deleted, or rewritten with part of its data.
enum class ValueChange { Delete, Rewrite };

// Before the key tree `subKey` under the predefined `root` (opened by the caller as `key`) is
// deleted. True: go on and delete it. False: the gate has dealt with it.
bool MayDeleteKeyTree(HKEY root, const std::wstring& subKey, HKEY key, Reporting reporting);

// The same before the value `name` of `key` is deleted or rewritten.
bool MayChangeValue(HKEY root, const std::wstring& subKey, HKEY key, const std::wstring& name,
                    ValueChange change, Reporting reporting);

// Before operations are taken out of the queue value `name` of `key` (the file operations
// pending for the next start of Windows): `taken` is their REG_MULTI_SZ data, all a backup
// keeps of the value, so that a restore adds them back to the queue as it is then and never
// queues the other programs' operations again.
bool MayTakeOperations(HKEY root, const std::wstring& subKey, HKEY key, const std::wstring& name,
                       const std::u16string& taken, ValueChange change);

// A file, folder or link the file primitives have opened to delete it.
struct OpenedEntry {
  HANDLE handle;      // opened with delete access, a link as itself; null on Windows 9x
  HANDLE parent;      // the open folder it lies in; null on Windows 9x
  std::wstring name;  // its name in that folder
  int kind;           // LOG_FILE or LOG_DIR
  std::wstring path;  // as the log spells it; a folder's ends in a backslash
};

// Deletes the entry and reports the outcome. A backup keeps it first (a file is moved into the
// backup, a folder is kept as an empty folder); a preview reports it as found.
void DeleteThroughGate(const OpenedEntry& entry);
