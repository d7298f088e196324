#pragma once
// Where a restore may write registry keys and values: only where a removal deletes them, so
// that a backup, whoever wrote it, cannot create services, drivers or boot settings. Decided
// on the key path texts of the backup's registry file ("HKEY_CURRENT_USER\Software\x"),
// root names and the fixed parts compared with the letters A to Z folded only: a spelling
// with other letters is refused, never let through.
#include <string>

// The key (full path, root name first) may be created and its values set: a key below
// HKEY_CURRENT_USER, below HKEY_USERS\<user account SID> or <SID>_Classes, below
// HKEY_LOCAL_MACHINE\SOFTWARE, or below HKEY_CLASSES_ROOT (which the caller first maps to the
// half it came from, ClassesKeyInHalf). Never a root itself, never anything else below
// HKEY_LOCAL_MACHINE, and no path with an empty, "." or ".." part or a zero character.
bool MayRestoreKey(const std::string& keyPath);

// The value `name` of the key may be set: any value of a key MayRestoreKey allows, and below
// HKEY_LOCAL_MACHINE\SYSTEM only the queues of file operations (a name holding
// "PendingFileRenameOperations", as the removal takes them) of
// SYSTEM\CurrentControlSet\Control\Session Manager (a key a restore only opens).
bool MayRestoreValue(const std::string& keyPath, const std::string& name);

// The two halves HKEY_CLASSES_ROOT merges: HKEY_CURRENT_USER\Software\Classes and
// HKEY_LOCAL_MACHINE\Software\Classes.
enum class ClassesHalf { User, Machine, Neither };

// The half a classes key is read from, given where it exists: the per-user half wins, as
// Windows shows that one in the merged view.
ClassesHalf ClassesHalfOf(bool inUserClasses, bool inMachineClasses);

// "HKEY_CLASSES_ROOT\X" as the same key in `half`: "HKEY_CURRENT_USER\Software\Classes\X" or
// "HKEY_LOCAL_MACHINE\Software\Classes\X". False for a path not below HKEY_CLASSES_ROOT (the
// root alone included) and for ClassesHalf::Neither.
bool ClassesKeyInHalf(const std::string& classesPath, ClassesHalf half, std::string& halfPath);
