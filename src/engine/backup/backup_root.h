#pragma once
// Where backups are kept, and the checks that let an elevated run trust what it reads back
// there. The backups folder is "%ProgramData%\Purgon\backups" for an elevated run and
// "%LOCALAPPDATA%\Purgon\backups" otherwise; inside it each backup is a folder named for the
// UTC time it was made (backup_names.h). Each of these folders must be a folder of its own
// (no junction or link), owned by the system, the administrators or the running account, and
// its permissions must let nobody else write in it, delete it or change them. What this
// module makes gets a protected DACL: the system and the administrators (and, for the per-user
// folder, the running account) with full control, nobody else.
#include <windows.h>

#include <string>
#include <vector>

#include "engine/core/handles.h"

enum class BackupPlaceOutcome {
  Ready,            // checked, and held open
  NoBaseFolder,     // the application-data folder is not known
  NotMade,          // it could not be made (`error`)
  NotAFolder,       // a file has its name
  Link,             // a junction or a link
  ForeignOwner,     // another account owns it
  OthersMayChange,  // its permissions let other accounts write in it or change it
  Unreadable,       // it cannot be opened, or its owner or permissions cannot be read (`error`)
  BadName,          // the name asked for is not the name of a backup
  NoBackup,         // no backup (of that name) is there
};

struct BackupPlaceResult {
  BackupPlaceOutcome outcome = BackupPlaceOutcome::Ready;
  DWORD error = 0;      // the Windows error behind NotMade and Unreadable
  std::wstring reason;  // one line for the run's report ("the backups folder ... can be changed
                        // by other users"); empty when Ready
  bool ok() const { return outcome == BackupPlaceOutcome::Ready; }
};

// A folder that passed the checks, held open without delete sharing: while it is held, nobody
// can rename, delete or replace it, so what was checked is what is used.
class CheckedFolder {
 public:
  // Opens the folder `folder` (no trailing backslash) without following a link and checks
  // it; `label` names it in the reason ("the backups folder"). When the check fails nothing
  // is held.
  BackupPlaceResult Open(const std::wstring& folder, const wchar_t* label);
  // The folder's path ending in a backslash; empty when none is held.
  const std::wstring& path() const { return path_; }
  // The folder's handle, for what is opened or made in it; null when none is held.
  HANDLE handle() const { return handle_.get(); }
  // Lets go of the folder (before it is renamed).
  void Release();

 private:
  std::wstring path_;
  KernelHandle handle_;
};

class BackupRoot {
 public:
  // The backups folder of this run (see above), with "Purgon" and "backups" made when
  // missing, both checked and held.
  BackupPlaceResult Open();
  // The same below the folder `base` instead of the application-data folder; `perUser` gives
  // the running account full control of what is made, as for the per-user folder.
  BackupPlaceResult OpenBelow(const std::wstring& base, bool perUser);
  // The backups folder, ending in a backslash; empty until Open succeeded.
  const std::wstring& path() const { return backups_.path(); }

  // Makes and checks the backup folder for the UTC time `utc`: the first of
  // "YYYYMMDD-HHMMSS", ".2", ".3", ... that neither exists nor exists with ".restored".
  BackupPlaceResult MakeBackupFolder(const SYSTEMTIME& utc, CheckedFolder& folder) const;

  // The names of the folders of the backups folder that are named as backups, in listing
  // order (links included: opening one refuses it).
  std::vector<std::string> ListBackups() const;

  // Opens and checks the backup `name` for a restore, or with an empty name the newest one
  // (by name). A newest backup that fails the checks is refused, not passed over.
  BackupPlaceResult OpenBackup(const std::string& name, CheckedFolder& folder) const;

  // Creates the new file `path` (inside a backup) for writing, with the same protected DACL
  // as the folders: it does not take whatever a folder above would hand down.
  bool CreateProtectedFile(const std::wstring& path, KernelHandle& file) const;

 private:
  CheckedFolder purgon_;
  CheckedFolder backups_;
  bool perUser_ = false;
};

