#pragma once
// Where the system's own folders are on this machine: the Windows, system, Program Files and
// temporary folders, the shell's folders and the profiles root, each looked up as Windows
// reports it. Both the list of the other accounts and the protected folders build on them.
// Folders are gathered in UTF-8 for the spelling rules (path_rules.h).
#include <string>
#include <vector>

#include "engine/rules/path_rules.h"

std::wstring WindowsFolder();
std::wstring SystemFolder();
std::wstring TempFolder();
// A CSIDL shell folder, "" when it cannot be resolved.
std::wstring ShellFolder(int id);
// The long form of `path`, "" when there is none (the path is not there).
std::wstring LongForm(const std::wstring& path);
std::wstring LongOrAsGiven(const std::wstring& path);
// The folder that holds every profile, "" when the application-data folder is not known.
std::wstring ProfilesRoot(const std::wstring& profile);

// Adds `path` to `folders` in the form Windows reports and in its long form.
void AddFolder(std::vector<std::string>& folders, const std::wstring& path);
// On 64-bit Windows this 32-bit program sees the "(x86)" Program Files and, under the name
// System32, the SysWOW64 folder: adds the native Program Files, Common Files and system
// folders, wherever they exist.
void AddNativeFolders(std::vector<std::string>& folders, const std::wstring& windows);

// Upper-cases letters of every alphabet the way Windows compares file names, in UTF-8.
std::string FoldCase(const std::string& text);
ProtectedFolders Folded(const ProtectedFolders& folders);

// Only the folders of the system itself: the Windows and system folders, Program Files (the
// native ones too) and the profiles root.
ProtectedFolders GatherSystemFolders();

