#include "engine/registry/registry.h"

#include <vector>

#include "engine/core/handles.h"

namespace {

const DWORD kKeyNameBuffer = 256;     // 255 characters and the terminator
const DWORD kStringBuffer = 256;      // ReadRegString reads at most 255 characters into it

}  // namespace

std::wstring ReadRegString(HKEY key, const wchar_t* valueName) {
  return ReadRegStringWithin(key, valueName, kStringBuffer - 1);
}

std::wstring ReadRegStringWithin(HKEY key, const wchar_t* valueName, DWORD sizeLimit) {
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
  return RegOpenKeyExW(root, path.c_str(), 0, access, key.Receive());
}

LONG CreateKey(HKEY root, const std::wstring& path, RegKey& key, bool& made) {
  DWORD disposition = 0;
  const LONG status = RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                      kKeyReadWrite, nullptr, key.Receive(), &disposition);
  made = status == ERROR_SUCCESS && disposition == REG_CREATED_NEW_KEY;
  return status;
}

LONG DeleteKey(HKEY root, const std::wstring& path) { return RegDeleteKeyW(root, path.c_str()); }

LONG SetValue(HKEY key, const std::wstring& name, DWORD type, const std::string& bytes) {
  return RegSetValueExW(key, name.empty() ? nullptr : name.c_str(), 0, type,
                        reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()));
}

LONG DeleteValue(HKEY key, const std::wstring& name) { return RegDeleteValueW(key, name.c_str()); }

bool HasValue(HKEY key, const std::wstring& name) {
  return RegQueryValueExW(key, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool ValueNames(HKEY key, std::vector<std::wstring>& names) {
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
  return RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr,
                          nullptr, nullptr, nullptr);
}

LONG LoadUserRegistry(const std::wstring& name, const std::wstring& file) {
  return RegLoadKeyW(HKEY_USERS, name.c_str(), file.c_str());
}

LONG UnloadUserRegistry(const std::wstring& name) { return RegUnLoadKeyW(HKEY_USERS, name.c_str()); }

bool VisitKeyTree(HKEY key, const std::wstring& path, REGSAM access, KeyVisitor& visitor) {
  if (!visitor.Enter(key, path)) return false;
  for (const std::wstring& name : SubKeyNames(key)) {
    {
      RegKey sub;
      const LONG opened = RegOpenKeyExW(key, name.c_str(), 0, access, sub.Receive());
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
