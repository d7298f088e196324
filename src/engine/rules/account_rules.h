#pragma once
// Rules for the other user accounts of the PC, decided on texts alone so that they can be
// tested anywhere: which profile-list entries are user accounts, which profile folders may
// be used, and how an account's own folder values are read.
#include <string>

#include "engine/rules/path_rules.h"

// A local or domain user account: "S-1-5-21-" followed by digits and hyphens only. Service
// accounts (S-1-5-18, -19, -20), backup entries ("....bak") and anything else are not.
bool IsUserAccountSid(const std::string& name);

// A profile folder may be used when it is an absolute folder path that is neither a drive or
// share root nor one of `systemFolders` (the Windows folder, Program Files, the profiles
// root) or a folder above one of them.
bool IsUsableProfileFolder(const std::string& path, const ProtectedFolders& systemFolders);

// An account's folder value with "%USERPROFILE%" (any case) read as that account's profile
// folder `profile`, ending in a backslash. Empty when the result would still hold a variable
// (it would be read with the running account's environment), is not an absolute path, or
// lies outside the profile folder: the value is the account's own to set, and must not lead
// a removal run by an administrator into anyone else's folders.
std::string AccountFolderPath(const std::string& value, const std::string& profile);
