#pragma once
// Names and places inside a backup folder: the folder itself ("purgon-backup", then
// "purgon-backup.1", ".2", ...), its registry file and the place of each file it keeps
// ("files\<drive letter>\<path>", or "files\UNC\<server>\<share>\<path>").
#include <string>
#include <vector>

extern const char kBackupBaseName[];      // "purgon-backup"
extern const char kBackupRegistryFile[];  // "registry.reg"
extern const char kBackupFilesFolder[];   // "files"
extern const char kRestoredSuffix[];      // ".restored"

// The folder name of backup `number` (0: "purgon-backup").
std::string BackupFolderName(int number);

// The number of a backup folder name that has not been restored, or -1.
int BackupNumberOf(const std::string& name);

// The highest backup number among `names` (entries of the current directory), or -1.
int NewestBackupNumber(const std::vector<std::string>& names);

// Where a file with full path `path` is kept below the files folder ("C\dir\file"), with
// runs of backslashes read as one, as Windows reads them; false for a path that is neither on
// a drive nor a network share, or that would lead elsewhere.
bool KeptPathOf(const std::string& path, std::string& kept);

// The reverse: the original path of a file kept at `kept` below the files folder.
bool OriginalPathOf(const std::string& kept, std::string& path);
