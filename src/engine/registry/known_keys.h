#pragma once
// The system's own registry keys the removals, the accounts and the restore name, in one
// place. String literals, so that a row can go on with its own name at compile time
// (KEY_RUN "\\x"); a wide one is Widen(...) of it. Windows compares key names without case,
// but the log shows each key as its step spells it, and it always has: where two steps spell
// one key two ways, both spellings are here.
#define KEY_CURRENT_VERSION "Software\\Microsoft\\Windows\\CurrentVersion"
#define KEY_RUN KEY_CURRENT_VERSION "\\Run"
// The uninstall list as the catalogues and the ORV configurations spell it ...
#define KEY_UNINSTALL "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall"
// ... and as the PEL editions' own uninstall entries are spelled.
#define KEY_UNINSTALL_OF_EDITIONS KEY_CURRENT_VERSION "\\Uninstall"
#define KEY_OPTIONAL_COMPONENTS KEY_CURRENT_VERSION "\\Setup\\OptionalComponents"
#define KEY_USER_SHELL_FOLDERS KEY_CURRENT_VERSION "\\Explorer\\User Shell Folders"
#define KEY_SHELL_FOLDERS KEY_CURRENT_VERSION "\\Explorer\\Shell Folders"
#define KEY_PROFILE_LIST "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList"
// Where the queue of file operations pending for the next start of Windows lives (HKLM).
#define KEY_SESSION_MANAGER "SYSTEM\\CurrentControlSet\\Control\\Session Manager"
#define VALUE_PENDING_RENAMES "PendingFileRenameOperations"
// Each half of HKEY_CLASSES_ROOT, below HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE.
#define KEY_CLASSES "Software\\Classes"
