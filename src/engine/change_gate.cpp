#include "engine/change_gate.h"

#include <vector>

#include "engine/backup_layout.h"
#include "engine/cleanup_context.h"
#include "engine/file_calls.h"
#include "engine/gone_items.h"
#include "engine/handles.h"
#include "engine/reg_file.h"
#include "engine/registry.h"

namespace {

// The ANSI folder functions take fewer than MAX_PATH - 12 characters (room for an 8.3 name).
const size_t kFolderPathLimit = MAX_PATH - 12;

struct GateState {
  ChangeMode mode = CHANGE_LIVE;
  GoneItems gone;
  // The backup, made at the first item that needs it; a failed attempt is not repeated.
  bool backupTried = false;
  std::string folder;  // ending in a backslash; empty when none could be made
  KernelHandle registryFile;
};

GateState& State() {
  static GateState state;
  return state;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Writes all of `text` and flushes it to the disk; an item goes only after this succeeded.
bool WriteFlushed(HANDLE file, const std::string& text) {
  DWORD written = 0;
  return WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
         written == text.size() && FlushFileBuffers(file);
}

// Makes "purgon-backup" in the current directory, or the first free "purgon-backup.N". A
// name whose restored form exists is taken too, so that the newest backup always has the
// highest number and a restored one is never renamed onto another.
bool MakeBackupFolder(GateState& state) {
  const std::string base = BackupParentFolder();
  if (base.empty()) return false;
  for (int number = 0; number < 100000; ++number) {
    const std::string folder = base + BackupFolderName(number);
    if (folder.size() + 1 + std::string(kBackupRegistryFile).size() >= MAX_PATH ||
        folder.size() >= kFolderPathLimit) return false;
    if (Exists(folder) || Exists(folder + kRestoredSuffix)) continue;
    if (!CreateDirectoryA(folder.c_str(), nullptr)) {
      if (GetLastError() == ERROR_ALREADY_EXISTS) continue;
      return false;
    }
    const std::string registry = folder + "\\" + kBackupRegistryFile;
    state.registryFile.Reset(CreateFileA(registry.c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                         nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!state.registryFile || !WriteFlushed(state.registryFile.get(), kRegFileHeader)) {
      state.registryFile.Reset();
      return false;
    }
    state.folder = folder + "\\";
    return true;
  }
  return false;
}

bool BackupReady() {
  GateState& state = State();
  if (!state.backupTried) {
    state.backupTried = true;
    MakeBackupFolder(state);
  }
  return !state.folder.empty();
}

bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// True when the ANSI code page holds every character of the UTF-16 bytes.
bool FitsAnsi(const std::string& bytes) {
  if (bytes.size() < 2) return true;
  BOOL lossy = FALSE;
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, reinterpret_cast<const wchar_t*>(bytes.data()),
                      static_cast<int>(bytes.size() / 2), nullptr, 0, nullptr, &lossy);
  return !lossy;
}

// A string value whose characters the ANSI form loses also gets its exact UTF-16 bytes.
bool AddWideForm(HKEY key, RegFileValue& value) {
  if (!IsStringType(value.type)) return true;
  std::string wide;
  DWORD type = 0;
  if (!ReadRegValueWide(key, value.name, type, wide)) return false;
  if (FitsAnsi(wide)) return true;
  value.hasWide = true;
  value.wide = wide;
  return true;
}

// The value's type and bytes; false when it cannot be read.
bool ReadValue(HKEY key, const std::string& name, RegFileValue& value) {
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
    return false;
  std::vector<BYTE> data(size + 1);
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD got = static_cast<DWORD>(data.size());
    const LONG status = RegQueryValueExA(key, name.c_str(), nullptr, &type, data.data(), &got);
    if (status == ERROR_MORE_DATA) {
      data.resize(got + 1);
      continue;
    }
    if (status != ERROR_SUCCESS) return false;
    value.name = name;
    value.type = type;
    value.data.assign(reinterpret_cast<const char*>(data.data()), got);
    return AddWideForm(key, value);
  }
  return false;
}

bool AppendValue(HKEY key, const std::string& name, std::string& text) {
  RegFileValue value;
  std::string line;
  if (!ReadValue(key, name, value) || !FormatRegValueLine(value, line)) return false;
  text += line;
  if (value.hasWide) text += FormatRegWideLine(value.wide);
  return true;
}

// The key and everything below it, parents before children, as registry-file text.
bool AppendKeyTree(HKEY key, const std::string& path, std::string& text) {
  std::string line;
  if (!FormatRegKeyLine(path, line)) return false;
  text += line;
  DWORD values = 0, longestName = 0;
  if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                       &longestName, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
    return false;
  std::vector<char> name(longestName + 2);
  for (DWORD index = 0; index < values; ++index) {
    DWORD length = static_cast<DWORD>(name.size());
    if (RegEnumValueA(key, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS ||
        !AppendValue(key, std::string(name.data(), length), text))
      return false;
  }
  for (DWORD index = 0;; ++index) {
    char child[256];
    DWORD length = sizeof(child);
    const LONG status =
        RegEnumKeyExA(key, index, child, &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS) return true;
    RegKey sub;
    if (status != ERROR_SUCCESS ||
        RegOpenKeyExA(key, child, 0, KEY_READ, sub.Receive()) != ERROR_SUCCESS ||
        !AppendKeyTree(sub.get(), path + "\\" + child, text))
      return false;
  }
}

bool WriteToRegistryFile(const std::string& text) {
  return BackupReady() && WriteFlushed(State().registryFile.get(), text);
}

std::string FullKeyPath(HKEY root, const std::string& subKey) {
  const char* rootName = RootKeyName(root);
  return rootName ? std::string(rootName) + "\\" + subKey : std::string();
}

// Creates `folder` (inside the backup) and the folders above it that are missing.
bool MakeFolders(const std::string& folder) {
  if (folder.size() >= kFolderPathLimit) return false;
  const size_t start = State().folder.size();
  for (size_t end = folder.find('\\', start); end != std::string::npos;
       end = folder.find('\\', end + 1)) {
    const std::string part = folder.substr(0, end);
    if (!CreateDirectoryA(part.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
      return false;
  }
  return true;
}

// Where the backup keeps `path`; empty when it cannot.
std::string KeptPlace(const std::string& path) {
  std::string kept;
  if (!BackupReady() || !KeptPathOf(path, kept)) return std::string();
  return State().folder + kBackupFilesFolder + "\\" + kept;
}

bool FlushFile(const std::string& path) {
  KernelHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  return file && FlushFileBuffers(file.get());
}

// Moves the file into the backup; on another volume it is copied, flushed, then deleted.
// A read-only file stays, as it would without a backup.
bool MoveIntoBackup(const std::string& path) {
  const DWORD attributes = TheFileCalls().getFileAttributes(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY)) return false;
  const std::string kept = KeptPlace(path);
  if (kept.empty() || kept.size() >= MAX_PATH || Exists(kept) ||
      !MakeFolders(kept.substr(0, kept.rfind('\\') + 1)))
    return false;
  if (MoveFileExA(path.c_str(), kept.c_str(), MOVEFILE_WRITE_THROUGH)) return true;
  if (GetLastError() != ERROR_NOT_SAME_DEVICE) return false;
  if (!CopyFileA(path.c_str(), kept.c_str(), TRUE)) return false;
  if (FlushFile(kept) && TheFileCalls().deleteFile(path.c_str())) return true;
  DeleteFileA(kept.c_str());
  return false;
}

}  // namespace

void SetChangeMode(ChangeMode mode) {
  GateState& state = State();
  state.mode = mode;
  state.gone.Clear();
}

ChangeMode CurrentChangeMode() { return State().mode; }

bool IsRegKeyGone(HKEY root, const std::string& subKey) {
  const char* rootName = RootKeyName(root);
  return IsPreview() && rootName && State().gone.IsKeyGone(rootName, subKey);
}

bool IsRegValueGone(HKEY root, const std::string& subKey, const std::string& name) {
  const char* rootName = RootKeyName(root);
  return IsPreview() && rootName && State().gone.IsValueGone(rootName, subKey, name);
}

bool IsPathGone(const std::string& path) { return IsPreview() && State().gone.IsPathGone(path); }

bool MayDeleteKeyTree(HKEY root, const std::string& subKey, HKEY key, bool reported) {
  GateState& state = State();
  const std::string path = FullKeyPath(root, subKey);
  switch (state.mode) {
    case CHANGE_LIVE: return true;
    case CHANGE_PREVIEW:
      if (!path.empty()) state.gone.MarkKey(RootKeyName(root), subKey);
      if (reported) TheCleanupContext().ReportRegFound(LOG_REG_KEY, root, subKey);
      return false;
    case CHANGE_BACKUP: {
      std::string text;
      if (!path.empty() && AppendKeyTree(key, path, text) && WriteToRegistryFile(text)) return true;
      TheCleanupContext().ReportRegKey(root, subKey, false);
      return false;
    }
  }
  return false;
}

bool MayChangeValue(HKEY root, const std::string& subKey, HKEY key, const std::string& name,
                    bool deleting, bool reported) {
  GateState& state = State();
  const std::string path = FullKeyPath(root, subKey);
  const std::string text = subKey + " - " + name;
  switch (state.mode) {
    case CHANGE_LIVE: return true;
    case CHANGE_PREVIEW:
      if (deleting && !path.empty()) state.gone.MarkValue(RootKeyName(root), subKey, name);
      if (reported) TheCleanupContext().ReportRegFound(LOG_REG_VALUE, root, text);
      return false;
    case CHANGE_BACKUP: {
      std::string lines, keyLine;
      if (!path.empty() && FormatRegKeyLine(path, keyLine) && AppendValue(key, name, lines) &&
          WriteToRegistryFile(keyLine + lines))
        return true;
      TheCleanupContext().ReportRegValue(root, text, false);
      return false;
    }
  }
  return false;
}

void NoteValueLeft(HKEY key, const std::string& name) {
  std::string left;
  DWORD type = 0;
  if (State().mode == CHANGE_BACKUP && ReadRegValueWide(key, name, type, left))
    WriteToRegistryFile(FormatRegLeftLine(left));
}

void DeleteFileThroughGate(const std::string& path) {
  GateState& state = State();
  switch (state.mode) {
    case CHANGE_LIVE:
      TheCleanupContext().ReportFile(path, TheFileCalls().deleteFile(path.c_str()) != FALSE);
      return;
    case CHANGE_PREVIEW:
      state.gone.MarkPath(path);
      TheCleanupContext().ReportFound(LOG_FILE, path);
      return;
    case CHANGE_BACKUP: TheCleanupContext().ReportFile(path, MoveIntoBackup(path)); return;
  }
}

void RemoveDirectoryThroughGate(const std::string& path) {
  GateState& state = State();
  switch (state.mode) {
    case CHANGE_LIVE: break;
    case CHANGE_PREVIEW:
      state.gone.MarkPath(path);
      TheCleanupContext().ReportFound(LOG_DIR, path);
      return;
    case CHANGE_BACKUP: {
      std::string kept = KeptPlace(path);
      if (!kept.empty()) kept += '\\';
      if (kept.empty() || !MakeFolders(kept)) {
        TheCleanupContext().ReportDir(path, false);
        return;
      }
      break;
    }
  }
  TheCleanupContext().ReportDir(path, TheFileCalls().removeDirectory(path.c_str()) != FALSE);
}

std::string BackupParentFolder() {
  char current[MAX_PATH] = {};
  const DWORD length = GetCurrentDirectoryA(MAX_PATH, current);
  if (length == 0 || length >= MAX_PATH) return std::string();
  std::string base = current;
  if (base.back() != '\\') base += '\\';
  return base;
}

std::string BackupFolderPath() { return State().folder; }
