#pragma once
// What a path's text alone tells, for the backup's own places and the restore's choice of
// drive: never a check before acting on a path (that is path_walk.h's work).
#include <string>

// True when a file or folder is there by that path.
bool PathExists(const std::wstring& path);

// The path ("X:\...") is on a fixed local drive; false for network, removable and missing
// drives and for every other form of path (UNC, "\\?\", relative). Only the drive is judged.
bool IsOnFixedLocalDrive(const std::wstring& path);
