#pragma once
// The system's own folders on this machine, which no tree removal may take. They are kept in
// UTF-8 for the spelling rules.
#include <string>

#include "engine/path_rules.h"

// Gathers the Windows, system, Program Files and temporary folders, the current user's
// shell folders, the profiles root and, relative to a profile, the folders every user has;
// under WoW64 also the native Program Files, Common Files and system folders. Each is given
// in the form Windows reports and in its long form.
ProtectedFolders GatherProtectedFolders();

// Only the folders of the system itself: the Windows and system folders, Program Files (the
// native ones too) and the profiles root.
ProtectedFolders GatherSystemFolders();

// True when `folder` is, by its spelling, one of the system's own folders or a folder above
// one (a drive root among them): no file is ever put right into such a folder.
bool IsSystemFolderPath(const std::wstring& folder);

// The folders gathered once per run, on first use.
const ProtectedFolders& TheProtectedFolders();

// True when `directory` must not be removed as a tree by its spelling (see IsRefusedTree);
// the path is checked as given and in its long form, letters of every alphabet folded as
// Windows folds them. The walk then checks each folder's identity as well (HeldFolder).
bool IsProtectedTree(const std::wstring& directory);
bool IsProtectedTree(const std::string& directory);  // the program's own ANSI text
