#pragma once
// The registry as the program reaches it: every call to the system's registry functions is
// made here and nowhere else. Key paths and names are UTF-16 and every enumeration uses the
// wide calls, so a name in any language is found and matched as the registry holds it.
#include <windows.h>

#include <string>
#include <vector>

#include "engine/core/handles.h"

// Keys the program may delete from are opened with read and write access.
const REGSAM kKeyReadWrite = KEY_READ | KEY_WRITE;  // 0x2001F

// A REG_SZ or REG_EXPAND_SZ value of at most 255 characters with its terminator, as stored;
// the empty string on any failure.
std::wstring ReadRegString(HKEY key, const wchar_t* valueName);

// The same for a value that may fill `sizeLimit` characters with its terminator; the empty
// string when it is missing, of another type, longer or not terminated.
std::wstring ReadRegStringWithin(HKEY key, const wchar_t* valueName, DWORD sizeLimit);

// The sub-key names of an open key, index 0 upwards, up to the first failure (no more
// names, or an error).
std::vector<std::wstring> SubKeyNames(HKEY key);

// REG_SZ, REG_EXPAND_SZ and REG_MULTI_SZ: the types whose data is text.
bool IsRegStringType(DWORD type);
// Data of `type` read through the code page (an ANSI call, a REGEDIT4 file) as the wide calls
// give it: text widened to UTF-16, other data as it is.
std::string WideRegData(DWORD type, const std::string& ansiData);

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
// Appends the names of the values of an open key, in index order; false when they cannot all
// be read (the names read before the failure stay appended).
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

// What a deletion of sub-keys does with one that stays (no access, or something below it
// stays): steps over it, so that the walk always ends (the key above then cannot be deleted),
// or stops there with its error.
enum class SubKeyStays { StepOver, Stop };
// Deletes every sub-key of the open `key` (opened read-write), deepest first. ERROR_SUCCESS
// unless the walk stopped at a sub-key that stays.
LONG DeleteSubKeys(HKEY key, SubKeyStays stays);
