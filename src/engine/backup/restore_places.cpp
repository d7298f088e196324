#include "engine/backup/restore_places.h"

#include <windows.h>

#include <vector>

#include "engine/backup/backup_root.h"
#include "engine/files/path_facts.h"
#include "engine/files/file_calls.h"
#include "engine/files/file_copy.h"
#include "engine/safety/protected_folders.h"
#include "engine/core/handles.h"
#include "engine/files/nt_files.h"
#include "engine/files/path_walk.h"
#include "engine/system/system_roots.h"

const OpenMode kKeptFile = {DELETE | GENERIC_READ | READ_CONTROL, FILE_SHARE_READ, EntryKind::File,
                            LinkHandling::AsItself};

namespace {

bool IsDriveRoot(const std::wstring& path) {
  return path.size() == 2 && path[1] == L':';
}

// Reaches the folder that is to hold `path`'s last name, on a fixed local drive only.
PutBack ReachPlace(RunContext& run, const std::wstring& path, Holder& at) {
  if (!IsOnFixedLocalDrive(path)) return PutBack::Refused;
  switch (ReachHolder(run.files, path, at, kFolderToFill)) {
    case Reach::Reached: return PutBack::Done;
    case Reach::Gone: return PutBack::Failed;
    default: return PutBack::Refused;
  }
}

}  // namespace

PutBack MakeFolderBack(RunContext& run, const std::wstring& path, PutMode mode) {
  if (IsDriveRoot(path)) return PutBack::There;
  Holder at;
  const PutBack reached = ReachPlace(run, path, at);
  if (reached != PutBack::Done) return reached;
  if (IsEntryThere(run.files, at.folder.get(), at.name)) return PutBack::There;
  if (run.safety.IsProtectedTree(path)) return PutBack::Refused;
  if (mode == PutMode::Look) return PutBack::Done;
  KernelHandle made;
  return NtSucceeded(CreateChildFolder(at.folder.get(), at.name, made)) ? PutBack::Done : PutBack::Failed;
}

PutBack MoveFileBack(RunContext& run, HANDLE kept, const std::wstring& path, PutMode mode) {
  Holder at;
  const PutBack reached = ReachPlace(run, path, at);
  if (reached != PutBack::Done) return reached;
  // The removal deletes files right in a user's desktop, so a restore puts them back there;
  // nothing goes right into the system's own folders.
  if (run.safety.IsSystemFolderPath(at.folderPath) || run.safety.IsSystemFolder(at.folder.get()))
    return PutBack::Refused;
  if (IsEntryThere(run.files, at.folder.get(), at.name)) return PutBack::There;
  if (mode == PutMode::Look) return PutBack::Done;
  const NtStatus moved = MoveOpenedInto(kept, at.folder.get(), at.name);
  if (NtSucceeded(moved)) return PutBack::Done;
  if (moved != kStatusNotSameDevice || !CopyOpenedFile(kept, at.folder.get(), at.name)) return PutBack::Failed;
  run.files.deleteOpened(kept, path);  // the file is back; a copy that stays in the backup harms nothing
  return PutBack::Done;
}
