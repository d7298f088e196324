#pragma once
// Registry removal primitives. Each reports what it deleted to the cleanup context and
// returns nothing: a failure shows only in the log and the failure list.
#include <windows.h>

#include <string>
#include <vector>

#include "engine/handles.h"

// Keys the program may delete from are opened with read and write access.
const REGSAM kKeyReadWrite = KEY_READ | KEY_WRITE;  // 0x2001F

// Kills a key and everything below it, depth first; logs one line for the named key when it
// existed. `root` is a predefined root, or an open key while recursing.
void DeleteRegKeyTree(HKEY root, const char* subKey);

// Deletes the values of the key whose name equals `valueName`, ignoring case.
void DeleteRegValueNamed(HKEY root, const char* subKey, const char* valueName);

// Deletes every value of the key whose name contains `pattern`, ignoring case.
void DeleteRegValuesContaining(HKEY root, const char* subKey, const char* pattern);

// Removes a key tree that is deleted without a report (a configuration's own entries, which
// a logged removal takes with their parent later). Stops at the first nested key that cannot
// be removed and returns its error; an empty or broken path is refused.
LONG DeleteRegKeyTreeQuietly(HKEY root, const std::string& subKey);

// Deletes the value with the registry's own name match, without a report.
LONG DeleteRegValueQuietly(HKEY root, const std::string& subKey, const char* valueName);

// Opens the key, creating it empty when it is missing; a preview only opens it.
bool EnsureRegKey(HKEY root, const char* subKey);

// Opens a key the removal reads; false also when a preview counts it as deleted already.
bool OpenRegKey(HKEY root, const char* subKey, REGSAM access, RegKey& key);

// A REG_SZ or REG_EXPAND_SZ value of at most 255 bytes (terminator included), as stored;
// the empty string on any failure.
std::string ReadRegString(HKEY key, const char* valueName);

// The sub-key names of an open key, index 0 upwards, up to the first failure (no more
// names, or one longer than 255 characters).
std::vector<std::string> SubKeyNames(HKEY key);

// The same for a value that may fill `sizeLimit` bytes with its terminator; the empty
// string when it is missing, of another type, longer or not terminated.
std::string ReadRegStringWithin(HKEY key, const char* valueName, DWORD sizeLimit);

// The type and UTF-16 bytes of any value, read through its wide name; false when it cannot
// be read.
bool ReadRegValueWide(HKEY key, const std::string& valueName, DWORD& type, std::string& bytes);
