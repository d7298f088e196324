#pragma once
// The backup of one run: a folder made at the first item that needs it in the backups folder
// (backup_root.h), named for the time of the run, a registry file that receives every key tree
// and value before it is deleted or rewritten, and a files folder that receives every deleted
// file. A failed attempt to make the folder is not repeated; refusal() says why.
#include <windows.h>

#include <string>

#include "engine/accounts/privileges.h"
#include "engine/backup/backup_root.h"
#include "engine/core/handles.h"
#include "engine/run/run_context.h"

struct OpenedEntry;

class BackupWriter {
 public:
  // Opens and deletes through the run's file calls.
  explicit BackupWriter(RunContext& run) : run_(run) {}

  // Writes the key tree `subKey` under the predefined `root`, opened as `key`, with every value
  // and sub-key, and flushes it. False when it cannot be written whole. A key of
  // HKEY_CLASSES_ROOT is written from, and under the name of, the half it lies in (told by the
  // open key itself: the user's classes, which Windows shows first, or the machine's).
  bool KeepKeyTree(HKEY root, const std::wstring& subKey, HKEY key);

  // The same for the value `name` of `key`.
  bool KeepValue(HKEY root, const std::wstring& subKey, HKEY key, const std::wstring& name);

  // Writes the operations `taken` out of the queue value `name` (REG_MULTI_SZ data), marked as
  // operations to add back rather than a whole value.
  bool KeepOperations(HKEY root, const std::wstring& subKey, const std::wstring& name,
                      const std::u16string& taken);

  // Moves the opened file into the backup. On another volume it is copied with its owner and
  // DACL, flushed, and the original deleted; but a file with more than one name is not copied
  // (Linked): its other names keep the data, and only this name goes. A read-only file stays,
  // as it would without a backup, and so does one whose owner and DACL cannot be kept.
  enum class FileKept { Kept, Linked, Failed };
  FileKept KeepFile(const OpenedEntry& entry);

  // Makes the empty folder that stands for a deleted folder (`path` ends in a backslash).
  bool KeepFolder(const std::wstring& path);

  // Why no backup could be made ("the backups folder ... can be changed by other users");
  // empty while none was refused.
  const std::wstring& refusal() const { return refusal_; }

 private:
  bool Ready();
  void Make();
  bool Write(const std::string& text);
  bool OpenKeptFolder(const std::wstring& path, KernelHandle& folder, std::wstring& name);
  FileKept CopyToOtherVolume(const OpenedEntry& entry, HANDLE folder, const std::wstring& name);

  RunContext& run_;
  bool tried_ = false;
  BackupRoot root_;       // held for the run: nobody can swap it meanwhile
  CheckedFolder folder_;  // this run's backup, held too
  std::wstring refusal_;
  KernelHandle registryFile_;
  BackupPrivileges privileges_;
};
