#pragma once
// Places inside a backup folder: its registry file and the place of each file it keeps
// ("files\<drive letter>\<path>", or "files\UNC\<server>\<share>\<path>"). Texts are UTF-8.
#include <string>

extern const char kBackupRegistryFile[];  // "registry.reg"
extern const char kBackupFilesFolder[];   // "files"

// Where a file with full path `path` is kept below the files folder ("C\dir\file"), with
// runs of backslashes read as one, as Windows reads them; false for a path that is neither on
// a drive nor a network share, or that would lead elsewhere.
bool KeptPathOf(const std::string& path, std::string& kept);

// The reverse: the original path of a file kept at `kept` below the files folder.
bool OriginalPathOf(const std::string& kept, std::string& path);
