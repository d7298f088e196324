#include "engine/run/delete_now.h"

#include "engine/files/file_calls.h"
#include "engine/files/files_9x.h"

Outcome DeleteNow(RunContext& run, const OpenedEntry& entry) {
  if (entry.handle) {
    const NtStatus status = run.files.deleteOpened(entry.handle, entry.path);
    return NtSucceeded(status) ? Outcome::Done() : Outcome::Failed(ErrorOfStatus(status));
  }
  const DWORD error = Win9xDelete(entry.path, entry.kind == LOG_DIR);
  return error == ERROR_SUCCESS ? Outcome::Done() : Outcome::Failed(error);
}
