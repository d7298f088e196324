#pragma once
// Registry removal primitives. Each reports what it deleted to the cleanup context and
// returns the Windows error code of the removal (the first one met, for a removal of several
// values); a reported failure keeps that code in the cleanup context beside its line. Key paths and names
// are UTF-16 and every enumeration uses the wide calls, so a name in any language is found,
// matched and deleted as the registry holds it. The program's own fixed paths (catalogue rows)
// are ANSI and widened here.
#include <windows.h>

#include <string>
#include <vector>

#include "engine/handles.h"

// Keys the program may delete from are opened with read and write access.
const REGSAM kKeyReadWrite = KEY_READ | KEY_WRITE;  // 0x2001F

// Kills a key and everything below it, depth first; logs one line for the named key when it
// existed. `root` is a predefined root.
LONG DeleteRegKeyTree(HKEY root, const std::wstring& subKey);

// Deletes the values of the key whose name equals `valueName`, ignoring the case of A to Z.
LONG DeleteRegValueNamed(HKEY root, const std::wstring& subKey, const std::wstring& valueName);

// Deletes every value of the key whose name contains `pattern`, ignoring the case of A to Z.
LONG DeleteRegValuesContaining(HKEY root, const std::wstring& subKey, const std::wstring& pattern);

// For each value of the key whose name contains `pattern` and holds a queue of file operations
// pending for the next start of Windows, takes out the operations of which a path is the
// client's (`owner`, rename_queue.h); the value goes when nothing else is left in it,
// otherwise the rest is written back. One "Delete Reg Val" report per value changed; a value
// of another kind is left alone.
LONG TakeQueueOperations(HKEY root, const std::wstring& subKey, const std::wstring& pattern,
                         const std::u16string& owner);

// Removes a key tree that is deleted without a report (a configuration's own entries, which
// a logged removal takes with their parent later). Stops at the first nested key that cannot
// be removed and returns its error; an empty or broken path is refused.
LONG DeleteRegKeyTreeQuietly(HKEY root, const std::wstring& subKey);

// Deletes the value with the registry's own name match, without a report.
LONG DeleteRegValueQuietly(HKEY root, const std::wstring& subKey, const std::wstring& valueName);

// Opens the key, creating it empty when it is missing; a preview only opens it.
bool EnsureRegKey(HKEY root, const std::wstring& subKey);

// Opens a key the removal reads; false also when a preview counts it as deleted already.
bool OpenRegKey(HKEY root, const std::wstring& subKey, REGSAM access, RegKey& key);

// A REG_SZ or REG_EXPAND_SZ value of at most 255 characters with its terminator, as stored;
// the empty string on any failure.
std::wstring ReadRegString(HKEY key, const wchar_t* valueName);

// The same for a value that may fill `sizeLimit` characters with its terminator; the empty
// string when it is missing, of another type, longer or not terminated.
std::wstring ReadRegStringWithin(HKEY key, const wchar_t* valueName, DWORD sizeLimit);

// The sub-key names of an open key, index 0 upwards, up to the first failure (no more
// names, or an error).
std::vector<std::wstring> SubKeyNames(HKEY key);

// The type and UTF-16 bytes of any value; false when it cannot be read.
bool ReadRegValueWide(HKEY key, const std::wstring& valueName, DWORD& type, std::string& bytes);

// Plain access for what reads or writes the registry without deleting from it (lookups, the
// restore, the program's own registration, other accounts' registries). Each returns the
// Windows error code.

// Opens a key as it is (no preview bookkeeping).
LONG OpenKey(HKEY root, const std::wstring& path, REGSAM access, RegKey& key);
// Opens the key with read and write access, making it (and the keys above it) when missing;
// `made` says whether it was made.
LONG CreateKey(HKEY root, const std::wstring& path, RegKey& key, bool& made);
// Deletes one key that has no sub-keys.
LONG DeleteKey(HKEY root, const std::wstring& path);
// Sets a value of any type from its bytes.
LONG SetValue(HKEY key, const std::wstring& name, DWORD type, const std::string& bytes);
LONG DeleteValue(HKEY key, const std::wstring& name);
bool HasValue(HKEY key, const std::wstring& name);
// The names of the values of an open key, in index order; false when they cannot be read.
bool ValueNames(HKEY key, std::vector<std::wstring>& names);
// How many sub-keys an open key has.
LONG CountSubKeys(HKEY key, DWORD& count);
// Loads the registry file `file` under HKEY_USERS\<name>, and unloads it again.
LONG LoadUserRegistry(const std::wstring& name, const std::wstring& file);
LONG UnloadUserRegistry(const std::wstring& name);

// Walks a key tree depth first; every walk of the program's goes through it. For each sub-key
// of an open key (by the names its listing gave, before any is visited) it is opened with the
// walk's access and visited, then handed to Leave; a visitor's false ends the walk.
class KeyVisitor {
 public:
  virtual ~KeyVisitor() = default;
  // An open key, before its sub-keys.
  virtual bool Enter(HKEY key, const std::wstring& path) { return true; }
  // A sub-key that could not be opened (`error`).
  virtual bool Unopened(HKEY parent, const std::wstring& name, LONG error) { return true; }
  // A sub-key, after its own sub-keys, once it is closed.
  virtual bool Leave(HKEY parent, const std::wstring& name) { return true; }
};
// False when a visitor ended the walk.
bool VisitKeyTree(HKEY key, const std::wstring& path, REGSAM access, KeyVisitor& visitor);

// The program's own ANSI texts, widened.
LONG DeleteRegKeyTree(HKEY root, const std::string& subKey);
LONG DeleteRegValueNamed(HKEY root, const std::string& subKey, const std::string& valueName);
LONG DeleteRegValuesContaining(HKEY root, const std::string& subKey, const std::string& pattern);
LONG DeleteRegKeyTreeQuietly(HKEY root, const std::string& subKey);
LONG DeleteRegValueQuietly(HKEY root, const std::string& subKey, const std::string& valueName);
bool EnsureRegKey(HKEY root, const std::string& subKey);
bool OpenRegKey(HKEY root, const std::string& subKey, REGSAM access, RegKey& key);
