#pragma once
// The system's own folders on this machine, which no tree removal may take.
#include "engine/path_rules.h"

// Gathers the Windows, system, Program Files and temporary folders, the current user's
// shell folders, the profiles root and, relative to a profile, the folders every user has.
// Each is given in the form Windows reports and in its long form.
ProtectedFolders GatherProtectedFolders();

// Only the folders of the system itself: the Windows and system folders, Program Files
// and the profiles root.
ProtectedFolders GatherSystemFolders();

// True when `directory` must not be removed as a tree (see IsRefusedTree); the path is
// checked as given and in its long form. The folders are gathered on the first call.
bool IsProtectedTree(const std::string& directory);
