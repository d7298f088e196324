#include "engine/registry.h"

#include <cstring>
#include <vector>

#include "engine/change_gate.h"
#include "engine/cleanup_context.h"
#include "engine/handles.h"
#include "engine/text_utils.h"
#include "engine/wide_text.h"

namespace {

const DWORD kKeyNameBuffer = 256;     // 255 characters and the terminator
const DWORD kValueNameBuffer = 1024;  // 1023 characters and the terminator
const DWORD kStringBuffer = 256;      // ReadRegString reads at most 255 bytes into it

// Removes the key and everything below it and reports it; true when the key was deleted.
// A sub-key that stays (no access, or something below it stays) is stepped over, so the
// walk always ends; the key itself then cannot be deleted and that is what gets reported.
// The key a caller named passes the change gate first.
bool DeleteKeyTree(HKEY root, const char* subKey, bool named = false) {
  if (named && IsRegKeyGone(root, subKey)) return false;
  RegKey key;
  if (RegOpenKeyExA(root, subKey, 0, kKeyReadWrite, key.Receive()) != ERROR_SUCCESS) return false;
  if (named && !MayDeleteKeyTree(root, subKey, key.get(), true)) return false;
  char name[kKeyNameBuffer];
  DWORD index = 0;
  // Each deleted sub-key moves the next one into its place: the index only grows past
  // sub-keys that stay.
  while (RegEnumKeyA(key.get(), index, name, kKeyNameBuffer) == ERROR_SUCCESS) {
    if (!DeleteKeyTree(key.get(), name)) ++index;
  }
  key.Reset();
  const bool deleted = RegDeleteKeyA(root, subKey) == ERROR_SUCCESS;
  TheCleanupContext().ReportRegKey(root, subKey, deleted);
  return deleted;
}

// Lower-cases the letters A to Z of `text` in place.
void LowerInPlace(char* text) {
  for (; *text; ++text)
    if (*text >= 'A' && *text <= 'Z') *text = static_cast<char>(*text - 'A' + 'a');
}

// Deletes the values of the key whose lower-cased name passes `matches`, walking the indexes
// from the top down so that a deletion never moves a value still to be examined. Only
// successful deletions are reported. A name longer than the buffer is skipped, never cut:
// a cut name could be another value's name.
template <typename Matches>
void DeleteMatchingValues(HKEY root, const char* subKey, Matches matches) {
  if (IsRegKeyGone(root, subKey)) return;
  RegKey key;
  if (RegOpenKeyExA(root, subKey, 0, kKeyReadWrite, key.Receive()) != ERROR_SUCCESS) return;
  DWORD count = 0;
  if (RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                       nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
    return;
  char name[kValueNameBuffer];
  char lowered[kValueNameBuffer];
  for (DWORD index = count; index-- > 0;) {
    DWORD length = kValueNameBuffer;
    const LONG status =
        RegEnumValueA(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_MORE_DATA) continue;
    if (status != ERROR_SUCCESS) break;
    memcpy(lowered, name, length + 1);
    LowerInPlace(lowered);
    if (!matches(lowered, length) || IsRegValueGone(root, subKey, name)) continue;
    if (!MayChangeValue(root, subKey, key.get(), name, true, true)) continue;
    if (RegDeleteValueA(key.get(), name) == ERROR_SUCCESS)
      TheCleanupContext().ReportRegValue(root, std::string(subKey) + " - " + name, true);
  }
}

}  // namespace

namespace {

// True for a path of whole names: not empty, no leading or trailing backslash, no empty
// name between two backslashes. Windows opens the parent for "Parent\\" and the root itself
// for "", so a path built from an empty name would take the whole parent.
bool IsWholeKeyPath(const char* subKey) {
  if (!subKey || !*subKey || subKey[0] == '\\') return false;
  for (const char* c = subKey; *c; ++c)
    if (*c == '\\' && (c[1] == '\\' || c[1] == '\0')) return false;
  return true;
}

}  // namespace

void DeleteRegKeyTree(HKEY root, const char* subKey) {
  if (!IsWholeKeyPath(subKey)) {
    TheCleanupContext().ReportRegKey(root, subKey ? subKey : "", false);  // refused
    return;
  }
  DeleteKeyTree(root, subKey, true);
}

namespace {

// Removes `subKey` of the open `parent` with everything below it; stops at the first nested
// key that cannot be removed and returns its error.
LONG DeleteSubKeysQuietly(HKEY parent, const char* subKey) {
  {
    RegKey sub;
    const LONG opened = RegOpenKeyExA(parent, subKey, 0, kKeyReadWrite, sub.Receive());
    if (opened != ERROR_SUCCESS) return opened;
    for (;;) {
      char child[kKeyNameBuffer];
      DWORD length = kKeyNameBuffer;
      if (RegEnumKeyExA(sub.get(), 0, child, &length, nullptr, nullptr, nullptr, nullptr) !=
          ERROR_SUCCESS)
        break;
      const LONG removed = DeleteSubKeysQuietly(sub.get(), child);
      if (removed != ERROR_SUCCESS) return removed;
    }
  }
  return RegDeleteKeyA(parent, subKey);
}

}  // namespace

LONG DeleteRegKeyTreeQuietly(HKEY root, const std::string& subKey) {
  if (!IsWholeKeyPath(subKey.c_str())) return ERROR_INVALID_PARAMETER;
  if (IsRegKeyGone(root, subKey)) return ERROR_FILE_NOT_FOUND;
  {
    RegKey key;
    const LONG opened = RegOpenKeyExA(root, subKey.c_str(), 0, kKeyReadWrite, key.Receive());
    if (opened != ERROR_SUCCESS) return opened;
    if (!MayDeleteKeyTree(root, subKey, key.get(), false)) return ERROR_CANCELLED;
  }
  return DeleteSubKeysQuietly(root, subKey.c_str());
}

LONG DeleteRegValueQuietly(HKEY root, const std::string& subKey, const char* valueName) {
  if (IsRegValueGone(root, subKey, valueName)) return ERROR_FILE_NOT_FOUND;
  RegKey key;
  const LONG opened = RegOpenKeyExA(root, subKey.c_str(), 0, kKeyReadWrite, key.Receive());
  if (opened != ERROR_SUCCESS) return opened;
  if (RegQueryValueExA(key.get(), valueName, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
    return ERROR_FILE_NOT_FOUND;
  if (!MayChangeValue(root, subKey, key.get(), valueName, true, false)) return ERROR_CANCELLED;
  return RegDeleteValueA(key.get(), valueName);
}

bool EnsureRegKey(HKEY root, const char* subKey) {
  RegKey key;
  if (IsPreview())  // a preview creates nothing: the key is used only when it is there
    return !IsRegKeyGone(root, subKey) &&
           RegOpenKeyExA(root, subKey, 0, kKeyReadWrite, key.Receive()) == ERROR_SUCCESS;
  return RegCreateKeyExA(root, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, kKeyReadWrite,
                         nullptr, key.Receive(), nullptr) == ERROR_SUCCESS;
}

bool OpenRegKey(HKEY root, const char* subKey, REGSAM access, RegKey& key) {
  if (IsRegKeyGone(root, subKey)) return false;
  return RegOpenKeyExA(root, subKey, 0, access, key.Receive()) == ERROR_SUCCESS;
}

void DeleteRegValueNamed(HKEY root, const char* subKey, const char* valueName) {
  const std::string wanted = ToLowerCopy(valueName);
  DeleteMatchingValues(root, subKey, [&wanted](const char* name, DWORD length) {
    return length == wanted.size() && wanted.compare(0, length, name, length) == 0;
  });
}

void DeleteRegValuesContaining(HKEY root, const char* subKey, const char* pattern) {
  const std::string wanted = ToLowerCopy(pattern);
  DeleteMatchingValues(root, subKey, [&wanted](const char* name, DWORD) {
    return strstr(name, wanted.c_str()) != nullptr;
  });
}

std::string ReadRegString(HKEY key, const char* valueName) {
  return ReadRegStringWithin(key, valueName, kStringBuffer - 1);
}

std::string ReadRegStringWithin(HKEY key, const char* valueName, DWORD sizeLimit) {
  std::vector<char> buffer(static_cast<size_t>(sizeLimit) + 1, '\0');
  DWORD type = 0;
  DWORD size = sizeLimit;
  if (RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                       &size) != ERROR_SUCCESS)
    return std::string();
  if (type != REG_SZ && type != REG_EXPAND_SZ) return std::string();
  if (size == 0 || size > sizeLimit || buffer[size - 1] != '\0') return std::string();
  return buffer.data();
}

std::vector<std::string> SubKeyNames(HKEY key) {
  std::vector<std::string> names;
  for (DWORD index = 0;; ++index) {
    char name[kKeyNameBuffer];
    DWORD length = kKeyNameBuffer;
    if (RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
      break;
    names.push_back(name);
  }
  return names;
}

bool ReadRegValueWide(HKEY key, const std::string& valueName, DWORD& type, std::string& bytes) {
  const std::wstring wideName = Widen(valueName);
  DWORD size = 0;
  if (RegQueryValueExW(key, wideName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
    return false;
  bytes.assign(size, '\0');
  return size == 0 || RegQueryValueExW(key, wideName.c_str(), nullptr, &type,
                                       reinterpret_cast<BYTE*>(&bytes[0]), &size) == ERROR_SUCCESS;
}
