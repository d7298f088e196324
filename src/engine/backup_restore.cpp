#include "engine/backup_restore.h"

#include <windows.h>

#include <algorithm>
#include <initializer_list>
#include <set>
#include <vector>

#include "engine/backup_layout.h"
#include "engine/change_gate.h"
#include "engine/cleanup_context.h"
#include "engine/files.h"
#include "engine/handles.h"
#include "engine/reg_file.h"
#include "engine/registry.h"
#include "engine/text_utils.h"
#include "engine/wide_text.h"

namespace {

// The root and sub-key of a full key path; false for a path under no known root.
bool SplitKeyPath(const std::string& path, HKEY& root, std::string& subKey) {
  const size_t slash = path.find('\\');
  const std::string rootName = path.substr(0, slash);
  if (slash == std::string::npos || slash + 1 == path.size()) return false;
  for (HKEY known : {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS}) {
    if (lstrcmpiA(rootName.c_str(), RootKeyName(known)) != 0) continue;
    root = known;
    subKey = path.substr(slash + 1);
    return true;
  }
  return false;
}

bool ReadWholeFile(const std::string& path, std::string& bytes) {
  KernelHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  const DWORD size = GetFileSize(file.get(), nullptr);
  if (size == INVALID_FILE_SIZE) return false;
  bytes.resize(size);
  DWORD got = 0;
  return size == 0 || (ReadFile(file.get(), &bytes[0], size, &got, nullptr) && got == size);
}

class Restorer {
 public:
  Restorer(const std::string& folder, bool preview) : folder_(folder), preview_(preview) {}

  void RestoreRegistry() {
    std::string text;
    if (!ReadWholeFile(folder_ + kBackupRegistryFile, text)) return;  // only files were kept
    std::vector<RegFileKey> keys;
    if (!ParseRegFile(text, keys, nullptr)) {
      TheCleanupContext().ReportResult(LOG_RESTORE_KEY, false, folder_ + kBackupRegistryFile);
      return;
    }
    for (const RegFileKey& key : keys) RestoreKey(key);
  }

  void RestoreFiles() {
    std::string kept = folder_ + kBackupFilesFolder + "\\";
    RestoreFolder(kept, std::string());
  }

  size_t restored() const { return restored_; }

 private:
  // In a preview, what would be put back is reported as found.
  void Report(int kind, bool succeeded, const std::string& text) {
    if (preview_ && succeeded)
      TheCleanupContext().ReportFound(kind, text);
    else
      TheCleanupContext().ReportResult(kind, succeeded, text);
    if (succeeded) ++restored_;
  }

  // A key a preview counts as made, with the keys above it, which its making makes too.
  bool WouldExist(const std::string& path) {
    const std::string lowered = ToLowerCopy(path);
    if (previewKeys_.count(lowered)) return true;
    for (size_t end = 0; end != std::string::npos; end = lowered.find('\\', end + 1))
      if (end) previewKeys_.insert(lowered.substr(0, end));
    previewKeys_.insert(lowered);
    return false;
  }

  // A preview only looks: a key that is missing would be made (once), a value that is
  // missing would be set.
  void PreviewKey(const RegFileKey& entry) {
    HKEY root = nullptr;
    std::string subKey;
    RegKey key;
    const bool known = SplitKeyPath(entry.path, root, subKey);
    const bool exists =
        known && RegOpenKeyExA(root, subKey.c_str(), 0, KEY_READ, key.Receive()) == ERROR_SUCCESS;
    if (!exists && !WouldExist(entry.path)) Report(LOG_RESTORE_KEY, known, entry.path);
    for (const RegFileValue& value : entry.values) {
      const bool taken = exists && RegQueryValueExA(key.get(), value.name.c_str(), nullptr, nullptr,
                                                    nullptr, nullptr) == ERROR_SUCCESS &&
                         !StillAsLeft(key.get(), value);
      Report(LOG_RESTORE_VALUE, known && !taken, entry.path + " - " + value.name);
    }
  }

  // A key is reported when it is made; one that is there already is only opened. Its values
  // are set only where no value of that name exists.
  void RestoreKey(const RegFileKey& entry) {
    if (preview_) return PreviewKey(entry);
    HKEY root = nullptr;
    std::string subKey;
    RegKey key;
    DWORD disposition = 0;
    const bool opened =
        SplitKeyPath(entry.path, root, subKey) &&
        RegCreateKeyExA(root, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_READ | KEY_WRITE, nullptr, key.Receive(), &disposition) == ERROR_SUCCESS;
    if (!opened || disposition == REG_CREATED_NEW_KEY) Report(LOG_RESTORE_KEY, opened, entry.path);
    for (const RegFileValue& value : entry.values) {
      const std::string text = entry.path + " - " + value.name;
      const bool exists = opened && RegQueryValueExA(key.get(), value.name.c_str(), nullptr,
                                                     nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
                          !StillAsLeft(key.get(), value);
      const bool set = opened && !exists && SetValue(key.get(), value);
      Report(LOG_RESTORE_VALUE, set, text);
    }
  }

  // A value the removal rewrote is put back over what it left, while that is unchanged.
  static bool StillAsLeft(HKEY key, const RegFileValue& value) {
    if (!value.hasLeft) return false;
    DWORD type = 0;
    std::string now;
    return ReadRegValueWide(key, value.name, type, now) && type == value.type &&
           now == value.left;
  }

  // The exact UTF-16 form when the backup has one, else the ANSI bytes.
  static bool SetValue(HKEY key, const RegFileValue& value) {
    if (value.hasWide)
      return RegSetValueExW(key, Widen(value.name).c_str(), 0, value.type,
                            reinterpret_cast<const BYTE*>(value.wide.data()),
                            static_cast<DWORD>(value.wide.size())) == ERROR_SUCCESS;
    return RegSetValueExA(key, value.name.c_str(), 0, value.type,
                          reinterpret_cast<const BYTE*>(value.data.data()),
                          static_cast<DWORD>(value.data.size())) == ERROR_SUCCESS;
  }

  // `kept` ends in a backslash; `relative` is its path below the files folder.
  void RestoreFolder(const std::string& kept, const std::string& relative) {
    std::vector<std::string> names;
    if (!ListDirectory(kept + "*", names)) return;
    for (const std::string& name : names) {
      const std::string keptEntry = kept + name;
      const std::string entryRelative = relative.empty() ? name : relative + "\\" + name;
      const DWORD attributes = GetFileAttributesA(keptEntry.c_str());
      if (attributes == INVALID_FILE_ATTRIBUTES) continue;
      std::string original;
      const bool placed = OriginalPathOf(entryRelative, original);
      if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        if (placed) MakeOriginalFolder(original);
        RestoreFolder(keptEntry + "\\", entryRelative);
        if (!preview_) RemoveDirectoryA(keptEntry.c_str());  // what stays was not put back
      } else {
        RestoreFile(keptEntry, placed ? original : keptEntry);
      }
    }
  }

  // Drive letters and the server and share of a network path are only walked through.
  void MakeOriginalFolder(const std::string& original) {
    if (original.compare(0, 2, "\\\\") == 0 &&
        std::count(original.begin(), original.end(), '\\') < 4)
      return;
    if (GetFileAttributesA(original.c_str()) != INVALID_FILE_ATTRIBUTES) return;
    Report(LOG_RESTORE_DIR, preview_ || CreateDirectoryA(original.c_str(), nullptr) != FALSE,
           original + "\\");
  }

  void RestoreFile(const std::string& kept, const std::string& original) {
    const bool free = GetFileAttributesA(original.c_str()) == INVALID_FILE_ATTRIBUTES;
    const bool moved =
        free && kept != original &&
        (preview_ || MoveFileExA(kept.c_str(), original.c_str(),
                                 MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH));
    Report(LOG_RESTORE_FILE, moved, original);
  }

  std::string folder_;
  bool preview_;
  std::set<std::string> previewKeys_;
  size_t restored_ = 0;
};

}  // namespace

RestoreOutcome RestoreNewestBackup(bool preview) {
  RestoreOutcome outcome;
  const std::string base = BackupParentFolder();
  if (base.empty()) return outcome;
  std::vector<std::string> names;
  ListDirectory(base + kBackupBaseName + "*", names);
  // Only folders are backups.
  names.erase(std::remove_if(names.begin(), names.end(),
                             [&base](const std::string& name) {
                               const DWORD attributes = GetFileAttributesA((base + name).c_str());
                               return attributes == INVALID_FILE_ATTRIBUTES ||
                                      !(attributes & FILE_ATTRIBUTE_DIRECTORY);
                             }),
              names.end());
  const int newest = NewestBackupNumber(names);
  if (newest < 0) return outcome;
  const std::string folder = base + BackupFolderName(newest);
  outcome.folder = folder;
  Restorer restorer(folder + "\\", preview);
  restorer.RestoreRegistry();
  restorer.RestoreFiles();
  outcome.restored = restorer.restored();
  // Renamed whatever stayed in it, so that the next restore does not take it again.
  if (!preview && !MoveFileA(folder.c_str(), (folder + kRestoredSuffix).c_str()))
    TheCleanupContext().failures.push_back(folder);
  return outcome;
}
