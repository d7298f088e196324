#include "engine/core/log_file.h"

#include "engine/core/optional_calls.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstring>

#include "engine/core/handles.h"

namespace {

enum class Opening { Opened, Refused, Failed };

// FILE_FLAG_OPEN_REPARSE_POINT opens a link itself rather than what it points at.
HANDLE OpenLogHandle(const char* name, DWORD disposition) {
  return CreateFileA(name, GENERIC_WRITE, FILE_SHARE_READ, nullptr, disposition,
                     FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

const char* LastComponent(const char* path) {
  const char* last = path;
  for (const char* p = path; *p; ++p)
    if (*p == '\\' || *p == '/' || *p == ':') last = p + 1;
  return last;
}

// Whether the open file carries another name than the one asked for: Wine opens the file a
// Unix symbolic link points at and shows it as a plain file, but its final path names the
// target. (Windows itself reports the link's own name here; its links show as reparse points.)
bool NamedOtherwise(HANDLE file, const char* name) {
  const auto finalPath = Optional().getFinalPathNameByHandleA;
  if (!finalPath) return false;  // before Vista: no links to files to fear
  char buffer[MAX_PATH * 2] = {};
  const DWORD length = finalPath(file, buffer, sizeof(buffer), 0);
  if (length == 0 || length >= sizeof(buffer)) return false;
  return lstrcmpiA(LastComponent(buffer), LastComponent(name)) != 0;
}

Opening CheckIsPlainFile(HANDLE file, const char* name) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(file, &info)) return Opening::Failed;
  const DWORD notPlain = FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY;
  if ((info.dwFileAttributes & notPlain) || info.nNumberOfLinks > 1 || NamedOtherwise(file, name))
    return Opening::Refused;
  return Opening::Opened;
}

// A folder or a junction under the log's name cannot be opened as a file at all; it is a name
// planted in the log's place as much as a link is.
bool IsFolderOrLink(const char* name) {
  const DWORD attributes = GetFileAttributesA(name);
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
}

Opening OpenChecked(const char* name, KernelHandle& file) {
  file.Reset(OpenLogHandle(name, OPEN_EXISTING));
  if (!file) {
    const DWORD error = GetLastError();
    if (IsFolderOrLink(name)) return Opening::Refused;
    if (error != ERROR_FILE_NOT_FOUND) return Opening::Failed;
    // Not there: create it, but never through a name that appeared in the meantime or a
    // link that points at nothing yet (both make CREATE_NEW fail with "exists").
    file.Reset(OpenLogHandle(name, CREATE_NEW));
    if (!file) return GetLastError() == ERROR_FILE_EXISTS ? Opening::Refused : Opening::Failed;
  }
  return CheckIsPlainFile(file.get(), name);
}

// Turns the checked handle into the text-mode stream the context writes to (each "\n" is
// stored as CR LF). The stream owns the handle from then on.
FILE* TextStreamFor(KernelHandle& file) {
  const int descriptor =
      _open_osfhandle(reinterpret_cast<intptr_t>(file.get()), _O_WRONLY | _O_TEXT);
  if (descriptor == -1) return nullptr;
  file.Release();
  FILE* stream = _fdopen(descriptor, "wt");
  if (!stream) _close(descriptor);
  return stream;
}

}  // namespace

bool OpenLogWithoutLinks(CleanupContext& context, const char* name) {
  context.CloseLog();
  context.logRefused = false;
  KernelHandle file;
  const Opening opening = OpenChecked(name, file);
  if (opening == Opening::Refused) context.logRefused = true;
  if (opening != Opening::Opened) return false;
  // Truncated only now that it is known to be the log's own file.
  if (!SetEndOfFile(file.get())) return false;
  context.logFile = TextStreamFor(file);
  return context.logFile != nullptr;
}
