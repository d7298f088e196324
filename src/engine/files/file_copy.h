#pragma once
// Copies of open files that keep who may read them. A backup on another volume than the data,
// and a restore from one, copy a file instead of moving it; a copy made with the permissions of
// the folder it lands in could hand a protected file's bytes to anyone who may read that
// folder. So each copy takes the original's owner and DACL, or is not made.
#include <windows.h>

#include <string>
#include <vector>

#include "engine/core/handles.h"
#include "engine/files/file_security.h"
#include "engine/files/nt_files.h"

// The number of names the open file has (more than one: hard links).
bool ReadOpenedLinkCount(HANDLE file, DWORD& links);

// How a file is opened to be copied: its bytes and its owner and DACL are read.
extern const OpenMode kFileToCopy;

// Copies the open file `source` (opened as kFileToCopy, or with at least its access) into a
// new file `name` of the open folder `folder`, with the source's owner and DACL, and flushes
// it. On any failure nothing is left of the copy.
bool CopyOpenedFile(HANDLE source, HANDLE folder, const std::wstring& name);
