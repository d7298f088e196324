#pragma once
// The backup of one run: a folder made at the first item that needs it in the backups folder
// (backup_root.h), named for the time of the run, a registry file that receives every key tree
// and value before it is deleted or rewritten, and a files folder that receives every deleted
// file. A failed attempt to make the folder is not repeated; BackupRefusal says why.
#include <windows.h>

#include <string>

#include "engine/change_gate.h"

// Writes the key tree `subKey` under the predefined `root`, opened as `key`, with every value
// and sub-key, and flushes it. False when it cannot be written whole. A key of
// HKEY_CLASSES_ROOT is written from, and under the name of, the half it lies in
// (HKEY_CURRENT_USER\Software\Classes before HKEY_LOCAL_MACHINE\Software\Classes).
bool BackupKeyTree(HKEY root, const std::wstring& subKey, HKEY key);

// The same for the value `name` of `key`.
bool BackupValue(HKEY root, const std::wstring& subKey, HKEY key, const std::wstring& name);

// Writes the operations `taken` out of the queue value `name` (REG_MULTI_SZ data), marked as
// operations to add back rather than a whole value.
bool BackupOperations(HKEY root, const std::wstring& subKey, const std::wstring& name,
                      const std::u16string& taken);

// Why no backup could be made ("the backups folder ... can be changed by other users"); empty
// while none was refused.
std::wstring BackupRefusal();

// Moves the opened file into the backup (on another volume: copies it, flushes, deletes the
// original). A read-only file stays, as it would without a backup.
bool MoveFileIntoBackup(const OpenedEntry& entry);

// Makes the empty folder that stands for a deleted folder (`path` ends in a backslash).
bool KeepFolderInBackup(const std::wstring& path);

// The backup folder of this run (ending in a backslash), empty while none was made.
std::wstring BackupFolderPath();
