#pragma once
// Which folder trees the program must never delete, decided on path texts alone (no file
// system calls), so that the rule can be tested anywhere.
#include <string>
#include <vector>

// A folder path in the one form used for comparisons: "/" read as "\", runs of "\" folded,
// "." and ".." components resolved, trailing dots and blanks of each component dropped (as
// Windows does), no trailing backslash, only the letters A to Z lowered. A UNC path keeps
// its leading "\\"; the "\\?\" and "\\.\" prefixes are removed.
std::string NormalizeFolderPath(const std::string& path);

// The system's own folders, gathered once per check by the Windows code.
struct ProtectedFolders {
  // Folders that are protected together with every folder above them (Windows, system,
  // Program Files, the user's application-data, desktop, Programs and temporary folders,
  // the profiles root).
  std::vector<std::string> folders;
  // Folders whose every direct sub-folder is protected too (the profiles root: each user's
  // profile folder) ...
  std::vector<std::string> childrenOf;
  // ... and, for each of them, these paths below such a sub-folder (the application-data,
  // desktop, Programs and temporary folders of every other user, relative to a profile).
  std::vector<std::string> belowChildren;
};

// True when deleting the tree at `path` could delete the whole of a drive, a network share
// or a folder of the system: the path is empty, relative, a drive root, a share root (or a
// server), on an administrative share ("\\host\c$\...", "\\host\admin$\..."), one of
// `protectedFolders` or a folder above one of them. Sub-folders of the protected folders are
// never refused. Letters beyond A to Z are compared as given: the caller folds them.
bool IsRefusedTree(const std::string& path, const ProtectedFolders& protectedFolders);
