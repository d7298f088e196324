#include "engine/backup/backup_writer.h"
#include "engine/text/case_folding.h"

#include <vector>

#include "engine/backup/backup_layout.h"
#include "engine/backup/backup_root.h"
#include "engine/core/cleanup_context.h"
#include "engine/core/optional_calls.h"
#include "engine/files/file_calls.h"
#include "engine/core/handles.h"
#include "engine/files/file_copy.h"
#include "engine/files/nt_files.h"
#include "engine/registry/reg_file.h"
#include "engine/registry/registry.h"
#include "engine/text/wide_text.h"

namespace {


// Writes all of `text` and flushes it to the disk; an item goes only after this succeeded.
bool WriteFlushed(HANDLE file, const std::string& text) {
  DWORD written = 0;
  return WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
         written == text.size() && FlushFileBuffers(file);
}

bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

std::string BytesOf(const std::wstring& text) {
  return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

// True when the ANSI code page holds every character of the UTF-16 bytes.
bool FitsAnsi(const std::string& bytes) {
  if (bytes.size() < 2) return true;
  BOOL lossy = FALSE;
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, reinterpret_cast<const wchar_t*>(bytes.data()),
                      static_cast<int>(bytes.size() / 2), nullptr, 0, nullptr, &lossy);
  return !lossy;
}

// The ANSI bytes of a value's UTF-16 string data, as regedit would read them back.
std::string AnsiBytes(const std::string& wide) {
  const std::wstring text(reinterpret_cast<const wchar_t*>(wide.data()), wide.size() / sizeof(wchar_t));
  return LogText(text);
}

// The value's type and bytes; false when it cannot be read. A string whose characters the
// ANSI form loses also gets its exact UTF-16 bytes, and so does a name.
bool ReadValue(HKEY key, const std::wstring& name, RegFileValue& value) {
  DWORD type = 0;
  std::string bytes;
  if (!ReadRegValueWide(key, name, type, bytes)) return false;
  value.name = LogText(name);
  value.type = type;
  if (!FitsAnsi(BytesOf(name))) {
    value.hasWideName = true;
    value.wideName = BytesOf(name);
  }
  if (!IsStringType(type)) {
    value.data = bytes;
    return true;
  }
  value.data = AnsiBytes(bytes);
  if (!FitsAnsi(bytes) || bytes.size() % sizeof(wchar_t) != 0) {
    value.hasWide = true;
    value.wide = bytes;
  }
  return true;
}

bool AppendValue(HKEY key, const std::wstring& name, std::string& text) {
  RegFileValue value;
  std::string line;
  if (!ReadValue(key, name, value) || !FormatRegValueLine(value, line)) return false;
  text += line;
  if (value.hasWide) text += FormatRegWideLine(value.wide);
  if (value.hasWideName) text += FormatRegWideNameLine(value.wideName);
  return true;
}

bool AppendKeyLine(const std::wstring& path, std::string& text) {
  std::string line;
  if (!FormatRegKeyLine(LogText(path), line)) return false;
  text += line;
  if (!FitsAnsi(BytesOf(path))) text += FormatRegWideKeyLine(BytesOf(path));
  return true;
}

// The key and everything below it, parents before children, as registry-file text.
class KeyTreeText : public KeyVisitor {
 public:
  std::string text;
  bool Enter(HKEY key, const std::wstring& path) override {
    std::vector<std::wstring> names;
    if (!AppendKeyLine(path, text) || !ValueNames(key, names)) return false;
    for (const std::wstring& name : names)
      if (!AppendValue(key, name, text)) return false;
    return true;
  }
  bool Unopened(HKEY, const std::wstring&, LONG) override { return false; }
};

std::wstring FullKeyPath(HKEY root, const std::wstring& subKey) {
  const char* rootName = RootKeyName(root);
  return rootName ? Widen(rootName) + L"\\" + subKey : std::wstring();
}

// Opens the folder `relative` (names separated by backslashes) below the open folder `base`,
// making each folder that is missing.
bool OpenOrMakeBelow(const FileCalls& files, HANDLE base, const std::wstring& relative, KernelHandle& folder) {
  KernelHandle at;
  HANDLE current = base;
  for (size_t start = 0; start < relative.size();) {
    size_t end = relative.find(L'\\', start);
    if (end == std::wstring::npos) end = relative.size();
    const std::wstring name = relative.substr(start, end - start);
    start = end + 1;
    if (name.empty()) continue;
    KernelHandle next;
    NtStatus status = files.openChild(current, name, kFolderToFill, next);
    if (IsGoneStatus(status)) {
      KernelHandle made;
      status = CreateChildFolder(current, name, made);
      if (NtSucceeded(status)) {
        made.Reset();
        status = files.openChild(current, name, kFolderToFill, next);
      }
    }
    if (!NtSucceeded(status)) return false;
    at = std::move(next);
    current = at.get();
  }
  folder = at ? std::move(at) : KernelHandle();
  return static_cast<bool>(folder);
}

bool IsThere(const FileCalls& files, HANDLE folder, const std::wstring& name) {
  KernelHandle entry;
  return !IsGoneStatus(files.openChild(folder, name, kOwnerOnly, entry));
}

// The same file: both ids read and equal.
bool SameFile(HANDLE a, HANDLE b) {
  LONGLONG first = 0, second = 0;
  return ReadOpenedFileId(a, first) && ReadOpenedFileId(b, second) && first == second;
}

// The kernel's name of an open key ("\REGISTRY\USER\...", "\REGISTRY\MACHINE\..."); empty when
// it cannot be read.
std::wstring KernelKeyName(HKEY key) {
  const auto query = Optional().ntQueryKey;
  const int kKeyNameInformation = 3;  // a ULONG byte count, then the name
  std::vector<BYTE> buffer(4096);
  ULONG length = 0;
  if (!query || query(key, kKeyNameInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &length) < 0)
    return std::wstring();
  const ULONG bytes = *reinterpret_cast<const ULONG*>(buffer.data());
  if (bytes > buffer.size() - sizeof(ULONG)) return std::wstring();
  return std::wstring(reinterpret_cast<const wchar_t*>(buffer.data() + sizeof(ULONG)), bytes / sizeof(wchar_t));
}

// A key of HKEY_CLASSES_ROOT is one of its two halves, and the one the deletion through the
// merged view takes is the one its open key lies in: the user's classes (Windows shows those
// first) or the machine's. Told by the open key's own name; false when it cannot be told.
bool FindClassesHalf(HKEY opened, const std::wstring& subKey, HKEY& root, std::wstring& path,
                     RegKey& key) {
  const std::wstring name = KernelKeyName(opened);
  if (StartsWithNoCase(name, L"\\REGISTRY\\USER\\"))
    root = HKEY_CURRENT_USER;
  else if (StartsWithNoCase(name, L"\\REGISTRY\\MACHINE\\"))
    root = HKEY_LOCAL_MACHINE;
  else
    return false;
  path = L"Software\\Classes\\" + subKey;
  return OpenKey(root, path, KEY_READ, key) == ERROR_SUCCESS;
}

}  // namespace

bool BackupWriter::Ready() {
  if (!tried_) {
    tried_ = true;
    Make();
  }
  return !folder_.path().empty();
}

// Opens the backups folder, makes this run's backup in it and its registry file. Only the
// system, the administrators and (for a run that is not elevated) the running account may
// read or change what is made.
void BackupWriter::Make() {
  BackupPlaceResult result = root_.Open();
  SYSTEMTIME utc;
  GetSystemTime(&utc);
  if (result.ok()) result = root_.MakeBackupFolder(utc, folder_);
  if (!result.ok()) {
    refusal_ = result.reason;
    return;
  }
  const std::wstring registry = folder_.path() + Widen(kBackupRegistryFile);
  if (!root_.CreateProtectedFile(registry, registryFile_) ||
      !WriteFlushed(registryFile_.get(), kRegFileHeader)) {
    registryFile_.Reset();
    folder_.Release();
    refusal_ = L"the backup's registry file " + registry + L" could not be written";
  }
}

bool BackupWriter::Write(const std::string& text) {
  return Ready() && WriteFlushed(registryFile_.get(), text);
}

bool BackupWriter::KeepKeyTree(HKEY root, const std::wstring& subKey, HKEY key) {
  HKEY halfRoot = root;
  std::wstring halfKey = subKey;
  RegKey half;
  if (root == HKEY_CLASSES_ROOT && FindClassesHalf(key, subKey, halfRoot, halfKey, half)) key = half.get();
  const std::wstring path = FullKeyPath(halfRoot, halfKey);
  KeyTreeText tree;
  return !path.empty() && VisitKeyTree(key, path, KEY_READ, tree) && Write(tree.text);
}

bool BackupWriter::KeepValue(HKEY root, const std::wstring& subKey, HKEY key, const std::wstring& name) {
  HKEY halfRoot = root;
  std::wstring halfKey = subKey;
  RegKey half;
  if (root == HKEY_CLASSES_ROOT && FindClassesHalf(key, subKey, halfRoot, halfKey, half)) key = half.get();
  const std::wstring path = FullKeyPath(halfRoot, halfKey);
  std::string text;
  return !path.empty() && AppendKeyLine(path, text) && AppendValue(key, name, text) &&
         Write(text);
}

bool BackupWriter::KeepOperations(HKEY root, const std::wstring& subKey, const std::wstring& name,
                                  const std::u16string& taken) {
  const std::wstring path = FullKeyPath(root, subKey);
  const std::string bytes(reinterpret_cast<const char*>(taken.data()), taken.size() * sizeof(char16_t));
  RegFileValue value;
  value.name = LogText(name);
  value.type = REG_MULTI_SZ;
  value.data = AnsiBytes(bytes);
  value.hasWide = true;
  value.wide = bytes;
  std::string text, line;
  if (path.empty() || !AppendKeyLine(path, text) || !FormatRegValueLine(value, line)) return false;
  text += line + FormatRegWideLine(value.wide) + FormatRegOperationsOnlyLine();
  return Write(text);
}

// The folder inside the backup that keeps `path` (made when missing), open, and the name
// `path` has in it.
bool BackupWriter::OpenKeptFolder(const std::wstring& path, KernelHandle& folder, std::wstring& name) {
  std::string kept;
  if (!Ready() || !KeptPathOf(Utf8Of(path), kept)) return false;
  const std::wstring relative = Widen(kBackupFilesFolder) + L"\\" + WideOfUtf8(kept);
  const size_t slash = relative.rfind(L'\\');
  name = relative.substr(slash + 1);
  return OpenOrMakeBelow(run_.files, folder_.handle(), relative.substr(0, slash), folder);
}

// A file that cannot be moved into the backup: copied, with its owner and DACL. The copy is
// read through a handle of its own, made sure to be the file opened for deletion.
BackupWriter::FileKept BackupWriter::CopyToOtherVolume(const OpenedEntry& entry, HANDLE folder,
                                                       const std::wstring& name) {
  DWORD links = 0;
  if (!ReadOpenedLinkCount(entry.handle, links)) return FileKept::Failed;
  if (links > 1) return FileKept::Linked;
  privileges_.Enable();  // another account's file keeps its owner
  KernelHandle source;
  if (!NtSucceeded(run_.files.openChild(entry.parent, entry.name, kFileToCopy, source)) ||
      !SameFile(source.get(), entry.handle) || !CopyOpenedFile(source.get(), folder, name))
    return FileKept::Failed;
  if (NtSucceeded(run_.files.deleteOpened(entry.handle, entry.path))) return FileKept::Kept;
  KernelHandle copy;
  if (NtSucceeded(run_.files.openChild(folder, name, kEntryToDelete, copy))) run_.files.deleteOpened(copy.get(), name);
  return FileKept::Failed;
}

BackupWriter::FileKept BackupWriter::KeepFile(const OpenedEntry& entry) {
  // Windows 9x makes no backup (backup_root.h): its entries come without a handle.
  if (!entry.handle || !Ready()) return FileKept::Failed;
  DWORD attributes = 0;
  if (!ReadOpenedAttributes(entry.handle, attributes) || (attributes & FILE_ATTRIBUTE_READONLY))
    return FileKept::Failed;
  KernelHandle folder;
  std::wstring name;
  if (!OpenKeptFolder(entry.path, folder, name) || IsThere(run_.files, folder.get(), name)) return FileKept::Failed;
  const NtStatus moved = MoveOpenedInto(entry.handle, folder.get(), name);
  if (NtSucceeded(moved)) return FileKept::Kept;
  if (moved != kStatusNotSameDevice) return FileKept::Failed;
  return CopyToOtherVolume(entry, folder.get(), name);
}

bool BackupWriter::KeepFolder(const std::wstring& path) {
  if (!Ready()) return false;
  std::string kept;
  if (!KeptPathOf(Utf8Of(path), kept)) return false;
  KernelHandle folder;
  return OpenOrMakeBelow(run_.files, folder_.handle(), Widen(kBackupFilesFolder) + L"\\" + WideOfUtf8(kept), folder);
}
