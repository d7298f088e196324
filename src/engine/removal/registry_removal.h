#pragma once
// The registry removal primitives. Each passes the change gate once per change, reports what
// it deleted to the cleanup context and returns the Windows error code of the removal (the
// first one met, for a removal of several values); a reported failure keeps that code in the
// cleanup context beside its line. The program's own fixed paths (catalogue rows) are ANSI
// and widened here.
#include <windows.h>

#include <string>

#include "engine/core/handles.h"
#include "engine/registry/registry.h"
#include "engine/accounts/account_scope.h"

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

// The program's own ANSI texts, widened.
LONG DeleteRegKeyTree(HKEY root, const std::string& subKey);
LONG DeleteRegValueNamed(HKEY root, const std::string& subKey, const std::string& valueName);
LONG DeleteRegValuesContaining(HKEY root, const std::string& subKey, const std::string& pattern);
LONG DeleteRegKeyTreeQuietly(HKEY root, const std::string& subKey);
LONG DeleteRegValueQuietly(HKEY root, const std::string& subKey, const std::string& valueName);
bool EnsureRegKey(HKEY root, const std::string& subKey);
bool OpenRegKey(HKEY root, const std::string& subKey, REGSAM access, RegKey& key);

// The registry primitives, taken in a scope; rows the scope does not take are skipped.
void DeleteRegKeyTreeIn(const AccountScope& scope, HKEY root, const std::wstring& path);
void DeleteRegValueNamedIn(const AccountScope& scope, HKEY root, const std::wstring& path,
                           const std::wstring& valueName);
void DeleteRegValuesContainingIn(const AccountScope& scope, HKEY root, const std::wstring& path,
                                 const std::wstring& pattern);
// The quiet removals, taken in a scope.
void DeleteRegKeyTreeQuietlyIn(const AccountScope& scope, HKEY root, const std::wstring& path);
void DeleteRegValueQuietlyIn(const AccountScope& scope, HKEY root, const std::wstring& path,
                             const std::wstring& valueName);
// Opens the row's key with read and write access (nothing is ever created here).
bool OpenRegKeyIn(const AccountScope& scope, HKEY root, const std::wstring& path, RegKey& key);
