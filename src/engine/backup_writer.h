#pragma once
// The backup of one run: a folder made at the first item that needs it, a registry file that
// receives every key tree and value before it is deleted or rewritten, and a files folder
// that receives every deleted file. A failed attempt to make the folder is not repeated.
#include <windows.h>

#include <string>

#include "engine/change_gate.h"

// Writes the key tree `subKey` under the predefined `root`, opened as `key`, with every value
// and sub-key, and flushes it. False when it cannot be written whole.
bool BackupKeyTree(HKEY root, const std::wstring& subKey, HKEY key);

// The same for the value `name` of `key`.
bool BackupValue(HKEY root, const std::wstring& subKey, HKEY key, const std::wstring& name);

// Notes the data a rewrite left in the value's place.
void BackupValueLeft(HKEY key, const std::wstring& name);

// Moves the opened file into the backup (on another volume: copies it, flushes, deletes the
// original). A read-only file stays, as it would without a backup.
bool MoveFileIntoBackup(const OpenedEntry& entry);

// Makes the empty folder that stands for a deleted folder (`path` ends in a backslash).
bool KeepFolderInBackup(const std::wstring& path);

// The folder backups are made in and restored from: the current directory, ending in a
// backslash; empty when it cannot be read.
std::wstring BackupParentFolder();

// The backup folder of this run (ending in a backslash), empty while none was made.
std::wstring BackupFolderPath();
