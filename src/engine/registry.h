#pragma once
// Registry removal primitives. Each reports what it deleted to the cleanup context and
// returns nothing: a failure shows only in the log and the failure list. Key paths and names
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
void DeleteRegKeyTree(HKEY root, const std::wstring& subKey);

// Deletes the values of the key whose name equals `valueName`, ignoring the case of A to Z.
void DeleteRegValueNamed(HKEY root, const std::wstring& subKey, const std::wstring& valueName);

// Deletes every value of the key whose name contains `pattern`, ignoring the case of A to Z.
void DeleteRegValuesContaining(HKEY root, const std::wstring& subKey, const std::wstring& pattern);

// For each value of the key whose name contains `pattern` and holds a queue of file operations
// pending for the next start of Windows, takes out the operations of which a path is the
// client's (`owner`, rename_queue.h); the value goes when nothing else is left in it,
// otherwise the rest is written back. One "Delete Reg Val" report per value changed; a value
// of another kind is left alone.
void TakeQueueOperations(HKEY root, const std::wstring& subKey, const std::wstring& pattern,
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

// The program's own ANSI texts, widened.
void DeleteRegKeyTree(HKEY root, const std::string& subKey);
void DeleteRegValueNamed(HKEY root, const std::string& subKey, const std::string& valueName);
void DeleteRegValuesContaining(HKEY root, const std::string& subKey, const std::string& pattern);
LONG DeleteRegKeyTreeQuietly(HKEY root, const std::string& subKey);
LONG DeleteRegValueQuietly(HKEY root, const std::string& subKey, const std::string& valueName);
bool EnsureRegKey(HKEY root, const std::string& subKey);
bool OpenRegKey(HKEY root, const std::string& subKey, REGSAM access, RegKey& key);
