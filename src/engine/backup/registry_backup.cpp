// The registry's part of a backup and of its restore, side by side: every key tree and value a
// removal deletes or rewrites is written to the backup's registry file before it goes, and put
// back from it only where a removal deletes (restore_targets.h).
#include <windows.h>

#include <algorithm>
#include <vector>

#include "engine/backup/backup_layout.h"
#include "engine/backup/backup_writer.h"
#include "engine/backup/kept_registry.h"
#include "engine/backup/restore_targets.h"
#include "engine/backup/restorer.h"
#include "engine/core/cleanup_context.h"
#include "engine/core/handles.h"
#include "engine/core/optional_calls.h"
#include "engine/files/file_calls.h"
#include "engine/registry/known_keys.h"
#include "engine/registry/reg_file.h"
#include "engine/registry/registry.h"
#include "engine/text/case_folding.h"
#include "engine/text/wide_text.h"

namespace {

// ---- keeping ----

// The value's type and bytes; false when it cannot be read. A string whose characters the
// ANSI form loses also gets its exact UTF-16 bytes, and so does a name.
bool ReadValue(HKEY key, const std::wstring& name, RegFileValue& value) {
  DWORD type = 0;
  std::string bytes;
  if (!ReadRegValueWide(key, name, type, bytes)) return false;
  value.name = LogText(name);
  value.type = type;
  if (!FitsCodePage(name)) {
    value.hasWideName = true;
    value.wideName = BytesOfUtf16(name);
  }
  if (!IsRegStringType(type)) {
    value.data = bytes;
    return true;
  }
  value.data = AnsiBytes(bytes);
  if (!FitsCodePage(WideOfBytes(bytes)) || bytes.size() % sizeof(wchar_t) != 0) {
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
// first) or the machine's. Told by the open key's own name; false when it cannot be told. The
// key is opened again in its half: opened through the merged view it lists both halves'
// sub-keys.
bool FindClassesHalf(HKEY opened, const std::wstring& subKey, HKEY& root, std::wstring& path,
                     RegKey& key) {
  const std::wstring name = KernelKeyName(opened);
  if (StartsWithNoCase(name, L"\\REGISTRY\\USER\\"))
    root = HKEY_CURRENT_USER;
  else if (StartsWithNoCase(name, L"\\REGISTRY\\MACHINE\\"))
    root = HKEY_LOCAL_MACHINE;
  else
    return false;
  path = L"" KEY_CLASSES L"\\" + subKey;
  return OpenKey(root, path, KEY_READ, key) == ERROR_SUCCESS;
}

// The full path under which the key `subKey` of `root` (open as `key`) is kept: a key of the
// merged classes under its half, with `key` then the half's own (held by `half`). Empty for a
// root whose keys are not kept.
std::wstring KeptKeyPath(HKEY root, const std::wstring& subKey, HKEY& key, RegKey& half) {
  HKEY halfRoot = root;
  std::wstring halfKey = subKey;
  if (root == HKEY_CLASSES_ROOT && FindClassesHalf(key, subKey, halfRoot, halfKey, half)) key = half.get();
  return FullKeyPath(halfRoot, halfKey);
}

// ---- putting back ----

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

// The bytes the value goes back with: the exact UTF-16 form when the backup has one, else
// the data, a string's widened from the code page.
std::string BytesToSet(const RegFileValue& value) {
  return value.hasWide ? value.wide : WideRegData(value.type, value.data);
}

bool SetValueOf(HKEY key, const std::wstring& name, const RegFileValue& value) {
  return SetValue(key, name, value.type, BytesToSet(value)) == ERROR_SUCCESS;
}

}  // namespace

bool AppendKeyLine(const std::wstring& path, std::string& text) {
  std::string line;
  if (!FormatRegKeyLine(LogText(path), line)) return false;
  text += line;
  if (!FitsCodePage(path)) text += FormatRegWideKeyLine(BytesOfUtf16(path));
  return true;
}

std::string AnsiBytes(const std::string& wide) {
  return LogText(WideOfBytes(wide));
}

std::wstring FullKeyPath(HKEY root, const std::wstring& subKey) {
  const char* rootName = RootKeyName(root);
  return rootName ? Widen(rootName) + L"\\" + subKey : std::wstring();
}

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

bool BackupWriter::KeepKeyTree(HKEY root, const std::wstring& subKey, HKEY key) {
  RegKey half;
  const std::wstring path = KeptKeyPath(root, subKey, key, half);
  KeyTreeText tree;
  return !path.empty() && VisitKeyTree(key, path, KEY_READ, tree) && Write(tree.text);
}

bool BackupWriter::KeepValue(HKEY root, const std::wstring& subKey, HKEY key, const std::wstring& name) {
  RegKey half;
  const std::wstring path = KeptKeyPath(root, subKey, key, half);
  std::string text;
  return !path.empty() && AppendKeyLine(path, text) && AppendValue(key, name, text) &&
         Write(text);
}

void Restorer::RestoreRegistry() {
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


// A key a look counts as made already; else it counts as made now, with the keys above it,
// which its making makes too.
bool Restorer::WouldExist(const std::wstring& path) {
  if (made_.IsMade(Utf8Of(path))) return true;
  made_.MarkMade(Utf8Of(path), true);
  return false;
}

// Another account's registry is loaded for the keys that go back into it.
bool Restorer::IsAtHand(HKEY root, const std::wstring& subKey) {
  if (root != HKEY_USERS) return true;
  return accounts_.Mount(subKey.substr(0, subKey.find(L'\\')));
}

// Opens the key, making it when it is missing and a restore may make it; `made` says so.
bool Restorer::OpenOrMake(HKEY root, const std::wstring& subKey, bool mayMake, RegKey& key, bool& made) {
  made = false;
  if (OpenKey(root, subKey, kKeyReadWrite, key) == ERROR_SUCCESS) return true;
  if (!mayMake) return false;
  if (preview_) return made = true;
  return CreateKey(root, subKey, key, made) == ERROR_SUCCESS;
}

// A key is reported when it is made (or cannot be); one that is there is only opened. Its
// values are set only where no value of that name exists, and only where a removal could
// have deleted them.
void Restorer::RestoreKey(const RegFileKey& entry) {
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

Restorer::ValueBack Restorer::SetIfMissing(HKEY key, const std::wstring& name, const RegFileValue& value) {
  DWORD type = 0;
  std::string now;
  if (key && ReadRegValueWide(key, name, type, now))  // there again: never overwritten
    return type == value.type && now == BytesToSet(value) ? ValueBack::Already : ValueBack::Stays;
  return preview_ || SetValueOf(key, name, value) ? ValueBack::Set : ValueBack::Stays;
}

