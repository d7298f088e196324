#include "engine/backup_restore.h"

#include <windows.h>

#include <algorithm>
#include <initializer_list>
#include <set>
#include <vector>

#include "engine/backup_layout.h"
#include "engine/backup_writer.h"
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

// The key's full path: exact when the backup kept its UTF-16 form.
std::wstring KeyPathOf(const RegFileKey& key) {
  return key.hasWidePath ? WideOfBytes(key.widePath) : Widen(key.path);
}

std::wstring ValueNameOf(const RegFileValue& value) {
  return value.hasWideName ? WideOfBytes(value.wideName) : Widen(value.name);
}

bool ReadWholeFile(const std::wstring& path, std::string& bytes) {
  KernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
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
  Restorer(const std::wstring& folder, bool preview) : folder_(folder), preview_(preview) {}

  void RestoreRegistry() {
    std::string text;
    const std::wstring file = folder_ + Widen(kBackupRegistryFile);
    if (!ReadWholeFile(file, text)) return;  // only files were kept
    std::vector<RegFileKey> keys;
    if (!ParseRegFile(text, keys, nullptr)) {
      TheCleanupContext().ReportResult(LOG_RESTORE_KEY, false, LogText(file));
      return;
    }
    for (const RegFileKey& key : keys) RestoreKey(key);
  }

  void RestoreFiles() {
    const std::wstring kept = folder_ + Widen(kBackupFilesFolder) + L"\\";
    RestoreFolder(kept, std::string());
  }

  size_t restored() const { return restored_; }

 private:
  // In a preview, what would be put back is reported as found.
  void Report(int kind, bool succeeded, const std::wstring& item) {
    const std::string text = LogText(item);
    if (preview_ && succeeded)
      TheCleanupContext().ReportFound(kind, text);
    else
      TheCleanupContext().ReportResult(kind, succeeded, text);
    if (succeeded) ++restored_;
  }

  // A key a preview counts as made, with the keys above it, which its making makes too.
  bool WouldExist(const std::wstring& path) {
    const std::string lowered = ToLowerCopy(Utf8Of(path));
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
    std::wstring subKey;
    RegKey key;
    const std::wstring path = KeyPathOf(entry);
    const bool known = SplitKeyPath(path, root, subKey);
    const bool exists =
        known && RegOpenKeyExW(root, subKey.c_str(), 0, KEY_READ, key.Receive()) == ERROR_SUCCESS;
    if (!exists && !WouldExist(path)) Report(LOG_RESTORE_KEY, known, path);
    for (const RegFileValue& value : entry.values) {
      const std::wstring name = ValueNameOf(value);
      const bool taken = exists && RegQueryValueExW(key.get(), name.c_str(), nullptr, nullptr,
                                                    nullptr, nullptr) == ERROR_SUCCESS &&
                         !StillAsLeft(key.get(), value);
      Report(LOG_RESTORE_VALUE, known && !taken, path + L" - " + name);
    }
  }

  // A key is reported when it is made; one that is there already is only opened. Its values
  // are set only where no value of that name exists.
  void RestoreKey(const RegFileKey& entry) {
    if (preview_) return PreviewKey(entry);
    HKEY root = nullptr;
    std::wstring subKey;
    RegKey key;
    DWORD disposition = 0;
    const std::wstring path = KeyPathOf(entry);
    const bool opened =
        SplitKeyPath(path, root, subKey) &&
        RegCreateKeyExW(root, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_READ | KEY_WRITE, nullptr, key.Receive(), &disposition) == ERROR_SUCCESS;
    if (!opened || disposition == REG_CREATED_NEW_KEY) Report(LOG_RESTORE_KEY, opened, path);
    for (const RegFileValue& value : entry.values) {
      const std::wstring name = ValueNameOf(value);
      const std::wstring text = path + L" - " + name;
      const bool exists = opened && RegQueryValueExW(key.get(), name.c_str(), nullptr,
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
    return ReadRegValueWide(key, ValueNameOf(value), type, now) && type == value.type &&
           now == value.left;
  }

  // The exact UTF-16 form when the backup has one, else the ANSI bytes.
  static bool SetValue(HKEY key, const RegFileValue& value) {
    const std::wstring name = ValueNameOf(value);
    if (value.hasWide)
      return RegSetValueExW(key, name.c_str(), 0, value.type,
                            reinterpret_cast<const BYTE*>(value.wide.data()),
                            static_cast<DWORD>(value.wide.size())) == ERROR_SUCCESS;
    if (value.hasWideName) {  // the ANSI bytes of a string under the exact name
      const std::wstring data = Widen(value.data);
      const bool isString = value.type == REG_SZ || value.type == REG_EXPAND_SZ || value.type == REG_MULTI_SZ;
      const std::string bytes = isString ? std::string(reinterpret_cast<const char*>(data.data()),
                                                       data.size() * sizeof(wchar_t))
                                         : value.data;
      return RegSetValueExW(key, name.c_str(), 0, value.type,
                            reinterpret_cast<const BYTE*>(bytes.data()),
                            static_cast<DWORD>(bytes.size())) == ERROR_SUCCESS;
    }
    return RegSetValueExA(key, value.name.c_str(), 0, value.type,
                          reinterpret_cast<const BYTE*>(value.data.data()),
                          static_cast<DWORD>(value.data.size())) == ERROR_SUCCESS;
  }

  // `kept` ends in a backslash; `relative` is its path below the files folder (UTF-8).
  void RestoreFolder(const std::wstring& kept, const std::string& relative) {
    std::vector<std::wstring> names;
    if (!ListDirectory(kept + L"*", names)) return;
    for (const std::wstring& name : names) {
      const std::wstring keptEntry = kept + name;
      const std::string entryRelative = relative.empty() ? Utf8Of(name) : relative + "\\" + Utf8Of(name);
      const DWORD attributes = GetFileAttributesW(keptEntry.c_str());
      if (attributes == INVALID_FILE_ATTRIBUTES) continue;
      std::string original;
      const bool placed = OriginalPathOf(entryRelative, original);
      if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        if (placed) MakeOriginalFolder(WideOfUtf8(original));
        RestoreFolder(keptEntry + L"\\", entryRelative);
        if (!preview_) RemoveDirectoryW(keptEntry.c_str());  // what stays was not put back
      } else {
        RestoreFile(keptEntry, placed ? WideOfUtf8(original) : keptEntry);
      }
    }
  }

  // Drive letters and the server and share of a network path are only walked through.
  void MakeOriginalFolder(const std::wstring& original) {
    if (original.compare(0, 2, L"\\\\") == 0 &&
        std::count(original.begin(), original.end(), L'\\') < 4)
      return;
    if (GetFileAttributesW(original.c_str()) != INVALID_FILE_ATTRIBUTES) return;
    Report(LOG_RESTORE_DIR, preview_ || CreateDirectoryW(original.c_str(), nullptr) != FALSE,
           original + L"\\");
  }

  void RestoreFile(const std::wstring& kept, const std::wstring& original) {
    const bool free = GetFileAttributesW(original.c_str()) == INVALID_FILE_ATTRIBUTES;
    const bool moved =
        free && kept != original &&
        (preview_ || MoveFileExW(kept.c_str(), original.c_str(),
                                 MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH));
    Report(LOG_RESTORE_FILE, moved, original);
  }

  std::wstring folder_;
  bool preview_;
  std::set<std::string> previewKeys_;
  size_t restored_ = 0;
};

}  // namespace

RestoreOutcome RestoreNewestBackup(bool preview) {
  RestoreOutcome outcome;
  const std::wstring base = BackupParentFolder();
  if (base.empty()) return outcome;
  std::vector<std::wstring> found;
  ListDirectory(base + Widen(kBackupBaseName) + L"*", found);
  // Only folders are backups.
  std::vector<std::string> names;
  for (const std::wstring& name : found) {
    const DWORD attributes = GetFileAttributesW((base + name).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
      names.push_back(Utf8Of(name));
  }
  const int newest = NewestBackupNumber(names);
  if (newest < 0) return outcome;
  const std::wstring folder = base + Widen(BackupFolderName(newest));
  outcome.folder = LogText(folder);
  Restorer restorer(folder + L"\\", preview);
  restorer.RestoreRegistry();
  restorer.RestoreFiles();
  outcome.restored = restorer.restored();
  // Renamed whatever stayed in it, so that the next restore does not take it again.
  if (!preview && !MoveFileW(folder.c_str(), (folder + Widen(kRestoredSuffix)).c_str()))
    TheCleanupContext().failures.push_back(LogText(folder));
  return outcome;
}
