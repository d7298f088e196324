#pragma once
// The folders no removal may take on this machine, by their spelling and by what they are on
// disk: the system's own (system_roots.h), the current user's shell folders, every profile
// and the folders every user has inside one. Gathered once per run, on first use.
#include <windows.h>

#include <string>

#include "engine/rules/path_rules.h"

// Gathers the Windows, system, Program Files and temporary folders, the current user's
// shell folders, the profiles root and, relative to a profile, the folders every user has;
// under WoW64 also the native Program Files, Common Files and system folders. Each is given
// in the form Windows reports and in its long form.
ProtectedFolders GatherProtectedFolders();

// The folders gathered once per run, on first use.
const ProtectedFolders& TheProtectedFolders();

// True when `directory` must not be removed as a tree by its spelling (see IsRefusedTree);
// the path is checked as given and in its long form, letters of every alphabet folded as
// Windows folds them. The walk then checks each folder's identity as well (HeldFolder).
bool IsProtectedTree(const std::wstring& directory);
bool IsProtectedTree(const std::string& directory);  // the program's own ANSI text

// The system's own folders of this run (gathered once, on first use): true when the open
// folder, told by the information its caller read through its handle, is one of them or a
// folder above one. Taken as read: under Wine each reading asks another process for the
// volume's serial number.
bool IsProtectedFolder(const BY_HANDLE_FILE_INFORMATION& folder);

// The system's own folders only (GatherSystemFolders), by what the open folder is.
bool IsSystemFolder(HANDLE folder);

// The folder safety net for a folder the program acts in without removing it (the launcher's):
// false when its spelling or what it is on disk makes it one of the system's own folders.
bool IsFolderSafeToActIn(const std::wstring& folder);
