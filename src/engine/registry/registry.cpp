#include "engine/registry/registry.h"

#include <vector>

#include "engine/core/handles.h"
#include "engine/core/optional_calls.h"
#include "engine/text/wide_text.h"

namespace {

const DWORD kKeyNameBuffer = 256;     // 255 characters and the terminator
const DWORD kStringBuffer = 256;      // ReadRegString reads at most 255 characters into it

// Windows 9x: the registry's wide functions are stubs there, so every name goes through the
// ANSI code page, exactly or not at all (a name it cannot spell cannot exist there), and
// string data is given and taken in UTF-16 as on Windows NT.
namespace ansi {

LONG NameOf(const std::wstring& wide, std::string& name) {
  return ExactAnsi(wide, name) ? ERROR_SUCCESS : ERROR_INVALID_NAME;
}

// A value's name, null for the unnamed value.
const char* ValueName(const std::string& name, bool unnamed) { return unnamed ? nullptr : name.c_str(); }

LONG QueryValue(HKEY key, const std::wstring& valueName, bool unnamed, DWORD& type, std::string& bytes) {
  std::string name;
  if (const LONG status = NameOf(valueName, name)) return status;
  // The value may grow between the two calls; a few tries, then it counts as unreadable.
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD size = 0;
    LONG status = RegQueryValueExA(key, ValueName(name, unnamed), nullptr, &type, nullptr, &size);
    if (status != ERROR_SUCCESS) return status;
    std::string narrow(size, '\0');
    if (size > 0)
      status = RegQueryValueExA(key, ValueName(name, unnamed), nullptr, &type,
                                reinterpret_cast<BYTE*>(&narrow[0]), &size);
    if (status == ERROR_SUCCESS) {
      narrow.resize(size);
      bytes = WideRegData(type, narrow);
      return status;
    }
    if (status != ERROR_MORE_DATA) return status;
  }
  return ERROR_MORE_DATA;
}

std::vector<std::wstring> SubKeyNames(HKEY key) {
  std::vector<std::wstring> names;
  for (DWORD index = 0;; ++index) {
    char name[kKeyNameBuffer];
    DWORD length = kKeyNameBuffer;
    if (RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.push_back(Widen(std::string(name, length)));
  }
  return names;
}

bool ValueNames(HKEY key, std::vector<std::wstring>& names) {
  for (DWORD index = 0;; ++index) {
    char name[16384];  // the longest value name Windows 9x allows, and more
    DWORD length = sizeof(name);
    const LONG status = RegEnumValueA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS) return true;
    if (status != ERROR_SUCCESS) return false;
    names.push_back(Widen(std::string(name, length)));
  }
}

LONG OpenKey(HKEY root, const std::wstring& path, REGSAM access, RegKey& key) {
  std::string name;
  if (const LONG status = NameOf(path, name)) return status;
  return RegOpenKeyExA(root, name.c_str(), 0, access, key.Receive());
}

LONG CreateKey(HKEY root, const std::wstring& path, RegKey& key, DWORD& disposition) {
  std::string name;
  if (const LONG status = NameOf(path, name)) return status;
  return RegCreateKeyExA(root, name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, kKeyReadWrite, nullptr,
                         key.Receive(), &disposition);
}

LONG DeleteKey(HKEY root, const std::wstring& path) {
  std::string name;
  if (const LONG status = NameOf(path, name)) return status;
  return RegDeleteKeyA(root, name.c_str());
}

LONG SetValue(HKEY key, const std::wstring& valueName, DWORD type, const std::string& bytes) {
  std::string name, data = bytes;
  if (const LONG status = NameOf(valueName, name)) return status;
  if (IsRegStringType(type) && !ExactAnsi(WideOfBytes(bytes), data)) return ERROR_INVALID_DATA;
  return RegSetValueExA(key, ValueName(name, valueName.empty()), 0, type,
                        reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size()));
}

LONG DeleteValue(HKEY key, const std::wstring& valueName) {
  std::string name;
  if (const LONG status = NameOf(valueName, name)) return status;
  return RegDeleteValueA(key, name.c_str());
}

}  // namespace ansi

}  // namespace

bool IsRegStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

std::string WideRegData(DWORD type, const std::string& ansiData) {
  return IsRegStringType(type) ? BytesOfUtf16(Widen(ansiData)) : ansiData;
}

std::wstring ReadRegString(HKEY key, const wchar_t* valueName) {
  return ReadRegStringWithin(key, valueName, kStringBuffer - 1);
}

std::wstring ReadRegStringWithin(HKEY key, const wchar_t* valueName, DWORD sizeLimit) {
  if (OnWindows9x()) {
    DWORD type = 0;
    std::string bytes;
    if (ansi::QueryValue(key, valueName ? valueName : L"", !valueName || !*valueName, type, bytes) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
      return std::wstring();
    const std::wstring text = WideOfBytes(bytes);
    if (text.empty() || text.back() != L'\0' || text.size() > sizeLimit) return std::wstring();
    return text.c_str();
  }
  std::vector<wchar_t> buffer(static_cast<size_t>(sizeLimit) + 1, L'\0');
  DWORD type = 0;
  DWORD size = sizeLimit * sizeof(wchar_t);
  if (RegQueryValueExW(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                       &size) != ERROR_SUCCESS)
    return std::wstring();
  if (type != REG_SZ && type != REG_EXPAND_SZ) return std::wstring();
  const DWORD characters = size / sizeof(wchar_t);
  if (size % sizeof(wchar_t) != 0 || characters == 0 || characters > sizeLimit ||
      buffer[characters - 1] != L'\0')
    return std::wstring();
  return buffer.data();
}

std::vector<std::wstring> SubKeyNames(HKEY key) {
  if (OnWindows9x()) return ansi::SubKeyNames(key);
  std::vector<std::wstring> names;
  for (DWORD index = 0;; ++index) {
    wchar_t name[kKeyNameBuffer];
    DWORD length = kKeyNameBuffer;
    if (RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
      break;
    names.emplace_back(name, length);
  }
  return names;
}

bool ReadRegValueWide(HKEY key, const std::wstring& valueName, DWORD& type, std::string& bytes) {
  if (OnWindows9x()) return ansi::QueryValue(key, valueName, valueName.empty(), type, bytes) == ERROR_SUCCESS;
  DWORD size = 0;
  if (RegQueryValueExW(key, valueName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
    return false;
  // The value may grow between the two calls; a few tries, then it counts as unreadable.
  for (int attempt = 0; attempt < 4; ++attempt) {
    bytes.assign(size, '\0');
    if (size == 0) return true;
    const LONG status = RegQueryValueExW(key, valueName.c_str(), nullptr, &type,
                                         reinterpret_cast<BYTE*>(&bytes[0]), &size);
    if (status == ERROR_SUCCESS) {
      bytes.resize(size);
      return true;
    }
    if (status != ERROR_MORE_DATA) return false;
  }
  return false;
}

LONG OpenKey(HKEY root, const std::wstring& path, REGSAM access, RegKey& key) {
  if (OnWindows9x()) return ansi::OpenKey(root, path, access, key);
  return RegOpenKeyExW(root, path.c_str(), 0, access, key.Receive());
}

LONG CreateKey(HKEY root, const std::wstring& path, RegKey& key, bool& made) {
  DWORD disposition = 0;
  const LONG status =
      OnWindows9x() ? ansi::CreateKey(root, path, key, disposition)
                    : RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, kKeyReadWrite,
                                      nullptr, key.Receive(), &disposition);
  made = status == ERROR_SUCCESS && disposition == REG_CREATED_NEW_KEY;
  return status;
}

LONG DeleteKey(HKEY root, const std::wstring& path) {
  return OnWindows9x() ? ansi::DeleteKey(root, path) : RegDeleteKeyW(root, path.c_str());
}

LONG SetValue(HKEY key, const std::wstring& name, DWORD type, const std::string& bytes) {
  if (OnWindows9x()) return ansi::SetValue(key, name, type, bytes);
  return RegSetValueExW(key, name.empty() ? nullptr : name.c_str(), 0, type,
                        reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()));
}

LONG DeleteValue(HKEY key, const std::wstring& name) {
  return OnWindows9x() ? ansi::DeleteValue(key, name) : RegDeleteValueW(key, name.c_str());
}

bool HasValue(HKEY key, const std::wstring& name) {
  if (OnWindows9x()) {
    DWORD type = 0;
    std::string bytes;
    return ansi::QueryValue(key, name, name.empty(), type, bytes) == ERROR_SUCCESS;
  }
  return RegQueryValueExW(key, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool ValueNames(HKEY key, std::vector<std::wstring>& names) {
  if (OnWindows9x()) return ansi::ValueNames(key, names);
  DWORD count = 0, longest = 0;
  if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &longest,
                       nullptr, nullptr, nullptr) != ERROR_SUCCESS)
    return false;
  std::vector<wchar_t> name(longest + 2);
  for (DWORD index = 0; index < count; ++index) {
    DWORD length = static_cast<DWORD>(name.size());
    if (RegEnumValueW(key, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      return false;
    names.emplace_back(name.data(), length);
  }
  return true;
}

LONG CountSubKeys(HKEY key, DWORD& count) {
  if (OnWindows9x())
    return RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr,
                            nullptr, nullptr, nullptr);
  return RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr,
                          nullptr, nullptr, nullptr);
}

// Windows 9x has one account: there is no other account's registry to load.
LONG LoadUserRegistry(const std::wstring& name, const std::wstring& file) {
  if (OnWindows9x()) return ERROR_CALL_NOT_IMPLEMENTED;
  return RegLoadKeyW(HKEY_USERS, name.c_str(), file.c_str());
}

LONG UnloadUserRegistry(const std::wstring& name) {
  if (OnWindows9x()) return ERROR_CALL_NOT_IMPLEMENTED;
  return RegUnLoadKeyW(HKEY_USERS, name.c_str());
}

namespace {

// Deletes every sub-key on the way out of the walk, stepping over or stopping at one that stays.
class SubKeyDeletion : public KeyVisitor {
 public:
  explicit SubKeyDeletion(SubKeyStays stays) : stop_(stays == SubKeyStays::Stop) {}
  LONG error = ERROR_SUCCESS;
  bool Unopened(HKEY, const std::wstring&, LONG status) override { return Goes(status); }
  bool Leave(HKEY parent, const std::wstring& name) override { return Goes(DeleteKey(parent, name)); }

 private:
  bool Goes(LONG status) {
    if (!stop_ || status == ERROR_SUCCESS) return true;
    error = status;
    return false;
  }
  bool stop_;
};

}  // namespace

LONG DeleteSubKeys(HKEY key, SubKeyStays stays) {
  SubKeyDeletion deletion(stays);
  VisitKeyTree(key, std::wstring(), kKeyReadWrite, deletion);
  return deletion.error;
}

bool VisitKeyTree(HKEY key, const std::wstring& path, REGSAM access, KeyVisitor& visitor) {
  if (!visitor.Enter(key, path)) return false;
  for (const std::wstring& name : SubKeyNames(key)) {
    {
      RegKey sub;
      const LONG opened = OpenKey(key, name, access, sub);
      if (opened != ERROR_SUCCESS) {
        if (!visitor.Unopened(key, name, opened)) return false;
      } else if (!VisitKeyTree(sub.get(), path + L"\\" + name, access, visitor)) {
        return false;
      }
    }
    if (!visitor.Leave(key, name)) return false;
  }
  return true;
}
