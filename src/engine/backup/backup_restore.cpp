#include "engine/backup/backup_restore.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "engine/accounts/privileges.h"
#include "engine/run/gone_items.h"
#include "engine/backup/backup_layout.h"
#include "engine/backup/backup_names.h"
#include "engine/backup/backup_root.h"
#include "engine/core/cleanup_context.h"
#include "engine/core/handles.h"
#include "engine/files/file_calls.h"
#include "engine/files/nt_files.h"
#include "engine/files/path_walk.h"
#include "engine/registry/reg_file.h"
#include "engine/registry/registry.h"
#include "engine/registry/rename_queue.h"
#include "engine/backup/restore_places.h"
#include "engine/backup/restore_targets.h"
#include "engine/text/text_utils.h"
#include "engine/accounts/user_accounts.h"
#include "engine/text/wide_text.h"

namespace {

// The root and sub-key of a full key path; false for a path under no known root.
bool SplitKeyPath(const std::wstring& path, HKEY& root, std::wstring& subKey) {
  const size_t slash = path.find(L'\\');
  const std::wstring rootName = path.substr(0, slash);
  if (slash == std::wstring::npos || slash + 1 == path.size()) return false;
  for (HKEY known : {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS}) {
    if (lstrcmpiW(rootName.c_str(), Widen(RootKeyName(known)).c_str()) != 0) continue;
    root = known;
    subKey = path.substr(slash + 1);
    return true;
  }
  return false;
}

std::wstring WideOfBytes(const std::string& bytes) {
  return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
}

// The key's full path: exact when the backup kept its UTF-16 form. A key of the merged
// classes view (a backup written by hand) goes back into the user's half, never machine-wide.
std::wstring KeyPathOf(const RegFileKey& key) {
  const std::wstring path = key.hasWidePath ? WideOfBytes(key.widePath) : Widen(key.path);
  std::string half;
  if (ClassesKeyInHalf(Utf8Of(path), ClassesHalf::User, half)) return WideOfUtf8(half);
  return path;
}

std::wstring ValueNameOf(const RegFileValue& value) {
  return value.hasWideName ? WideOfBytes(value.wideName) : Widen(value.name);
}

// Reads the whole open file.
bool ReadWholeFile(HANDLE file, std::string& bytes) {
  const DWORD size = GetFileSize(file, nullptr);
  if (size == INVALID_FILE_SIZE) return false;
  bytes.resize(size);
  DWORD got = 0;
  return size == 0 || (ReadFile(file, &bytes[0], size, &got, nullptr) && got == size);
}

// A kept folder, held while it is walked: it can be neither renamed nor replaced meanwhile.
const OpenMode& kKeptFolder = kHeldFolder;

bool SourceExists(const std::u16string& queued) {
  const std::u16string path = QueuedFilePath(queued);
  return PathExists(std::wstring(path.begin(), path.end()));
}

class Restorer {
 public:
  // `backup` is the backup folder, open and checked; `folder` its path, ending in a backslash.
  // A run whose policy changes nothing only looks.
  Restorer(RunContext& run, HANDLE backup, const std::wstring& folder, const std::vector<std::u16string>& queueOwners)
      : run_(run),
        backup_(backup),
        folder_(folder),
        preview_(run.policy().ChangesNothing()),
        mode_(preview_ ? PutMode::Look : PutMode::Act),
        queueOwners_(queueOwners),
        accounts_(run.accounts) {}

  void RestoreRegistry() {
    const std::wstring name = Widen(kBackupRegistryFile);
    const OpenMode read = {GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, EntryKind::File,
                           LinkHandling::AsItself};
    KernelHandle file;
    const NtStatus opened = run_.files.openChild(backup_, name, read, file);
    if (IsGoneStatus(opened)) return;  // only files kept
    std::string text;
    std::vector<RegFileKey> keys;
    if (!NtSucceeded(opened) || !ReadWholeFile(file.get(), text) || !ParseRegFile(text, keys, nullptr))
      return Report(LOG_RESTORE_KEY, false, folder_ + name);
    for (const RegFileKey& key : keys) RestoreKey(key);
  }

  void RestoreFiles() {
    const std::wstring name = Widen(kBackupFilesFolder);
    KernelHandle files;
    const NtStatus opened = run_.files.openChild(backup_, name, kKeptFolder, files);
    if (IsGoneStatus(opened)) return;  // only keys kept
    if (!NtSucceeded(opened)) return Report(LOG_RESTORE_DIR, false, folder_ + name + L"\\");
    privileges_.Enable();  // a file copied back keeps another account as its owner
    RestoreFolder(files.get(), folder_ + name + L"\\", std::string());
  }

  // The queues of file operations, once the files are back.
  void RestoreQueues() {
    for (const Queue& queue : queues_) {
      RegKey key;
      const bool opened = preview_ || OpenKey(queue.root, queue.subKey, kKeyReadWrite, key) == ERROR_SUCCESS;
      const ValueBack back = opened ? AddOperationsBack(key.get(), queue.name, queue.value) : ValueBack::Stays;
      if (back != ValueBack::Already) Report(LOG_RESTORE_VALUE, back == ValueBack::Set, queue.text);
    }
  }

  size_t restored() const { return restored_; }
  size_t stayed() const { return stayed_; }

 private:
  // What is put back is reported as the policy says (found, in a look); what stays, as failed.
  void Report(LogKind kind, bool succeeded, const std::wstring& item) {
    const std::string text = LogText(item);
    if (succeeded)
      run_.policy().ReportDone(kind, text);
    else
      run_.report.ReportResult(kind, false, text);
    if (succeeded)
      ++restored_;
    else
      ++stayed_;
  }

  // A key a look counts as made already; else it counts as made now, with the keys above it,
  // which its making makes too.
  bool WouldExist(const std::wstring& path) {
    if (made_.IsMade(Utf8Of(path))) return true;
    made_.MarkMade(Utf8Of(path), true);
    return false;
  }

  // Another account's registry is loaded for the keys that go back into it.
  bool IsAtHand(HKEY root, const std::wstring& subKey) {
    if (root != HKEY_USERS) return true;
    return accounts_.Mount(subKey.substr(0, subKey.find(L'\\')));
  }

  // Opens the key, making it when it is missing and a restore may make it; `made` says so.
  bool OpenOrMake(HKEY root, const std::wstring& subKey, bool mayMake, RegKey& key, bool& made) {
    made = false;
    if (OpenKey(root, subKey, kKeyReadWrite, key) == ERROR_SUCCESS) return true;
    if (!mayMake) return false;
    if (preview_) return made = true;
    return CreateKey(root, subKey, key, made) == ERROR_SUCCESS;
  }

  // A key is reported when it is made (or cannot be); one that is there is only opened. Its
  // values are set only where no value of that name exists, and only where a removal could
  // have deleted them.
  void RestoreKey(const RegFileKey& entry) {
    const std::wstring path = KeyPathOf(entry);
    HKEY root = nullptr;
    std::wstring subKey;
    const bool known = SplitKeyPath(path, root, subKey);
    const bool mayMake = known && MayRestoreKey(Utf8Of(path));
    RegKey key;
    bool made = false;
    const bool opened = known && IsAtHand(root, subKey) && OpenOrMake(root, subKey, mayMake, key, made);
    // A key no restore may make fails, unless it is there for a queue of file operations.
    const bool forQueue = std::any_of(entry.values.begin(), entry.values.end(),
                                      [](const RegFileValue& v) { return v.operationsOnly; });
    if (mayMake && (!opened || (made && !(preview_ && WouldExist(path)))))
      Report(LOG_RESTORE_KEY, opened, path);
    else if (!mayMake && !(opened && forQueue))
      Report(LOG_RESTORE_KEY, false, path);
    for (const RegFileValue& value : entry.values) {
      const std::wstring name = ValueNameOf(value);
      const std::wstring text = path + L" - " + name;
      // Where no key may be made (the queue's key) only the queue's operations go back.
      const bool allowed = opened && MayRestoreValue(Utf8Of(path), Utf8Of(name)) &&
                           (mayMake || value.operationsOnly);
      if (allowed && value.operationsOnly) {
        // After the files: an operation is queued again only while its file is there.
        queues_.push_back(Queue{root, subKey, name, text, value});
        continue;
      }
      const ValueBack back = allowed ? SetIfMissing(key.get(), name, value) : ValueBack::Stays;
      if (back != ValueBack::Already) Report(LOG_RESTORE_VALUE, back == ValueBack::Set, text);
    }
  }

  // What becomes of a value: set now, back already (an earlier restore that did not finish
  // put it back), or kept in the backup because another value has its name.
  enum class ValueBack { Set, Already, Stays };

  ValueBack SetIfMissing(HKEY key, const std::wstring& name, const RegFileValue& value) {
    DWORD type = 0;
    std::string now;
    if (key && ReadRegValueWide(key, name, type, now))  // there again: never overwritten
      return type == value.type && now == BytesToSet(value) ? ValueBack::Already : ValueBack::Stays;
    return preview_ || SetValueOf(key, name, value) ? ValueBack::Set : ValueBack::Stays;
  }

  // The queue's operations go back into the queue as it is now: only those the removal took
  // out, only those not queued again, only those whose file is still there.
  ValueBack AddOperationsBack(HKEY key, const std::wstring& name, const RegFileValue& value) {
    const std::u16string kept(reinterpret_cast<const char16_t*>(value.wide.data()),
                              value.wide.size() / sizeof(char16_t));
    std::u16string current;
    DWORD type = 0;
    std::string bytes;
    if (key && ReadRegValueWide(key, name, type, bytes) &&
        !PendingQueueFromValue(type, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), current))
      return ValueBack::Stays;  // a value of another kind: not ours to change
    RenameQueueMerge merge;
    const auto isOwn = [this](const RenameOperation& operation) { return IsClientsOperation(operation); };
    if (!MergeRenameOperations(current, kept, isOwn, SourceExists, merge)) return ValueBack::Stays;
    // An operation that is not the client's stays in the backup, whatever becomes of the others.
    const ValueBack done = merge.foreign.empty() ? ValueBack::Set : ValueBack::Stays;
    if (merge.added.empty() && merge.sourceGone.empty() && merge.foreign.empty()) return ValueBack::Already;
    if (preview_ || merge.added.empty()) return done;
    const std::string data(reinterpret_cast<const char*>(merge.data.data()), merge.data.size() * sizeof(char16_t));
    const bool set = SetValue(key, name, REG_MULTI_SZ, data) == ERROR_SUCCESS;
    return set ? done : ValueBack::Stays;
  }

  // The operation is one a removal of a client takes out and a restore may queue again.
  bool IsClientsOperation(const RenameOperation& operation) const {
    for (const std::u16string& owner : queueOwners_)
      if (IsOwnOperation(operation, owner)) return true;
    return false;
  }

  // The bytes the value goes back with: the exact UTF-16 form when the backup has one, else
  // the data, a string's widened from the code page.
  static std::string BytesToSet(const RegFileValue& value) {
    if (value.hasWide) return value.wide;
    const bool isString = value.type == REG_SZ || value.type == REG_EXPAND_SZ || value.type == REG_MULTI_SZ;
    if (!isString) return value.data;
    const std::wstring wide = Widen(value.data);
    return std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t));
  }

  static bool SetValueOf(HKEY key, const std::wstring& name, const RegFileValue& value) {
    return SetValue(key, name, value.type, BytesToSet(value)) == ERROR_SUCCESS;
  }

  // `folder` is the kept folder at `kept` (ending in a backslash), walked by handle as the
  // removal walks a tree; `relative` is its path below the files folder (UTF-8). What a
  // removal cannot have put here (a link, a name that leads nowhere) is not put back.
  void RestoreFolder(HANDLE folder, const std::wstring& kept, const std::string& relative) {
    std::vector<ListedEntry> entries;
    const NtStatus listed = run_.files.listFolder(folder, L"*", entries, kept);
    if (!NtSucceeded(listed) && listed != kStatusNoSuchFile) return Report(LOG_RESTORE_DIR, false, kept);
    for (const ListedEntry& entry : entries) {
      const std::wstring keptEntry = kept + entry.name;
      const std::string entryRelative =
          relative.empty() ? Utf8Of(entry.name) : relative + "\\" + Utf8Of(entry.name);
      std::string original;
      const bool placed = OriginalPathOf(entryRelative, original);
      if (entry.IsLink() || (!entry.IsFolder() && !placed)) {
        Report(entry.IsFolder() ? LOG_RESTORE_DIR : LOG_RESTORE_FILE, false, keptEntry);
      } else if (entry.IsFolder()) {
        // The drive, or the server and share of a network path, are only walked through.
        if (placed) PutFolderBack(WideOfUtf8(original));
        RestoreKeptFolder(folder, entry, keptEntry, entryRelative);
      } else {
        KernelHandle file;
        const bool opened = NtSucceeded(OpenListed(run_.files, folder, entry, kKeptFile, file));
        const std::wstring path = WideOfUtf8(original);
        Report(LOG_RESTORE_FILE, opened && PutFileBack(file.get(), path) == PutBack::Done, path);
      }
    }
  }

  // The kept folder `entry` of `parent`: what it holds goes back, then the folder itself goes
  // from the backup when it is empty (what stays was not put back).
  void RestoreKeptFolder(HANDLE parent, const ListedEntry& entry, const std::wstring& keptEntry,
                         const std::string& relative) {
    {
      KernelHandle folder;
      if (!NtSucceeded(OpenListed(run_.files, parent, entry, kKeptFolder, folder)))
        return Report(LOG_RESTORE_DIR, false, keptEntry + L"\\");
      RestoreFolder(folder.get(), keptEntry + L"\\", relative);
    }
    KernelHandle emptied;
    if (!preview_ && NtSucceeded(OpenListed(run_.files, parent, entry, kEntryToDelete, emptied)))
      run_.files.deleteOpened(emptied.get(), keptEntry);
  }

  // Drive letters and the server and share of a network path are only walked through; a
  // folder is reported when it is made, or when it cannot be.
  void PutFolderBack(const std::wstring& original) {
    if (original.compare(0, 2, L"\\\\") == 0 && std::count(original.begin(), original.end(), L'\\') < 4)
      return;
    PutBack put = PutBack::Done;
    if (!MadeInPreview(ParentOf(original))) put = MakeFolderBack(run_, original, mode_);
    if (preview_ && put == PutBack::Done) made_.MarkMade(Utf8Of(original), false);
    if (put != PutBack::There) Report(LOG_RESTORE_DIR, put == PutBack::Done, original + L"\\");
  }

  // A preview makes no folder: what goes into one it counts as made is not looked up.
  PutBack PutFileBack(HANDLE kept, const std::wstring& original) {
    if (!MadeInPreview(ParentOf(original))) return MoveFileBack(run_, kept, original, mode_);
    return IsOnFixedLocalDrive(original) ? PutBack::Done : PutBack::Refused;
  }

  bool MadeInPreview(const std::wstring& folder) const { return preview_ && made_.IsMade(Utf8Of(folder)); }
  static std::wstring ParentOf(const std::wstring& path) { return path.substr(0, path.rfind(L'\\')); }

  struct Queue {
    HKEY root;
    std::wstring subKey;
    std::wstring name;
    std::wstring text;
    RegFileValue value;
  };

  RunContext& run_;
  HANDLE backup_;
  std::wstring folder_;
  bool preview_;
  PutMode mode_;
  std::vector<std::u16string> queueOwners_;
  std::vector<Queue> queues_;
  AccountRegistries accounts_;
  BackupPrivileges privileges_;
  GoneItems made_;  // what a look counts as made
  size_t restored_ = 0;
  size_t stayed_ = 0;
};

}  // namespace

RestoreOutcome RestoreBackup(RunContext& run, const std::string& name, const std::vector<std::string>& queueOwners) {
  RestoreOutcome outcome;
  BackupRoot root;
  CheckedFolder backup;
  BackupPlaceResult place = root.Open();
  if (place.ok()) place = root.OpenBackup(name, backup);
  if (!place.ok()) {
    // No backup at all is no fault; one that was asked for and is not there, or one that
    // fails the checks, is.
    if (place.outcome != BackupPlaceOutcome::NoBackup || !name.empty())
      outcome.problem = LogText(place.reason);
    return outcome;
  }
  const std::wstring folder = WithoutTrailingBackslashes(backup.path());
  outcome.folder = LogText(folder);
  std::vector<std::u16string> owners;
  for (const std::string& owner : queueOwners) owners.emplace_back(owner.begin(), owner.end());
  Restorer restorer(run, backup.handle(), backup.path(), owners);
  restorer.RestoreRegistry();
  restorer.RestoreFiles();
  restorer.RestoreQueues();
  outcome.restored = restorer.restored();
  // Renamed only when everything went back: a later restore can finish a partial one.
  if (run.policy().ChangesNothing() || restorer.stayed() > 0) return outcome;
  backup.Release();
  if (!MoveFileW(folder.c_str(), (folder + Widen(kRestoredSuffix)).c_str()))
    run.report.NoteFailure(outcome.folder, GetLastError());
  return outcome;
}
