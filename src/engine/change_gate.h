#pragma once
// The one place every removal primitive passes before it changes anything. In a normal run it
// lets everything through. In a preview it changes nothing: each item is reported as found and
// counted as gone for the later steps. With a backup, each registry item is written to the
// backup's registry file and each file moved into the backup before it goes; when that cannot
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
bool IsRegKeyGone(HKEY root, const std::string& subKey);
bool IsRegValueGone(HKEY root, const std::string& subKey, const std::string& name);
bool IsPathGone(const std::string& path);

// Before the key tree `subKey` under the predefined `root` (opened by the caller as `key`) is
// deleted. True: go on and delete it. False: the gate has dealt with it: found in a preview
// (reported when `reported`), or failed because its backup could not be written (reported).
bool MayDeleteKeyTree(HKEY root, const std::string& subKey, HKEY key, bool reported);

// The same before the value `name` of `key` is deleted (`deleting`) or rewritten.
bool MayChangeValue(HKEY root, const std::string& subKey, HKEY key, const std::string& name,
                    bool deleting, bool reported);

// After a value that MayChangeValue let through was rewritten: a backup notes the data left
// in its place, so that a restore may tell it was not changed since.
void NoteValueLeft(HKEY key, const std::string& name);

// Deletes the file (a backup moves it into the backup folder) and reports the outcome; a
// preview reports it as found.
void DeleteFileThroughGate(const std::string& path);
// Removes the empty folder `path` (ending in a backslash) and reports the outcome; a backup
// keeps an empty folder in its place first, so that a restore makes it again.
void RemoveDirectoryThroughGate(const std::string& path);

// The folder backups are made in and restored from: the current directory, ending in a
// backslash; empty when it cannot be read.
std::string BackupParentFolder();

// The backup folder of this run (ending in a backslash), empty while none was made.
std::string BackupFolderPath();
