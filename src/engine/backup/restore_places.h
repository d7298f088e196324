#pragma once
// Where a restore puts a folder or file back: at the place the removal found it, reached the
// way the removal reaches folders (one at a time, links only when the system made them), only
// on a fixed local drive; a folder is never made where the removal would refuse to remove it,
// and no file goes right into one of the system's own folders (Windows, system, Program
// Files, the profiles root, a drive root). A backup is checked
// before it is read, yet what it says is still not trusted with the system.
#include <windows.h>

#include <string>

#include "engine/files/nt_files.h"
#include "engine/run/run_context.h"

enum class PutBack {
  Done,     // made or moved (in a look: would be)
  There,    // something of that name is there: nothing is overwritten
  Refused,  // not a place a restore may write
  Failed,   // the place could not be reached or the call failed
};

// Whether the calls change anything (a restore) or only say what would happen (its preview).
enum class PutMode { Act, Look };

// Makes the folder `path` (no trailing backslash) when it is missing.
PutBack MakeFolderBack(RunContext& run, const std::wstring& path, PutMode mode);

// How a kept file is opened to be put back: moved, or copied with its owner and DACL.
extern const OpenMode kKeptFile;

// Moves the open file `kept` (inside the backup, opened as kKeptFile) to `path`. From another
// volume it is copied with the owner and DACL it has in the backup, or not at all.
PutBack MoveFileBack(RunContext& run, HANDLE kept, const std::wstring& path, PutMode mode);
