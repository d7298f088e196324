#include "engine/registry_scope.h"

#include "engine/registry.h"

bool RegistryScope::Locate(HKEY root, const std::wstring& path, RegLocation& location) const {
  if (!other_) {
    location.root = root;
    location.path = path;
    return true;
  }
  std::wstring key;
  if (root == HKEY_CURRENT_USER)
    key = account_.userKey;
  else if (root == HKEY_CLASSES_ROOT)
    key = account_.classesKey;
  if (key.empty()) return false;
  location.root = HKEY_USERS;
  location.path = key + L"\\" + path;
  return true;
}

void DeleteRegKeyTreeIn(const RegistryScope& scope, HKEY root, const std::wstring& path) {
  RegLocation at;
  if (scope.Locate(root, path, at)) DeleteRegKeyTree(at.root, at.path);
}

void DeleteRegValueNamedIn(const RegistryScope& scope, HKEY root, const std::wstring& path,
                           const std::wstring& valueName) {
  RegLocation at;
  if (scope.Locate(root, path, at)) DeleteRegValueNamed(at.root, at.path, valueName);
}

void DeleteRegValuesContainingIn(const RegistryScope& scope, HKEY root, const std::wstring& path,
                                 const std::wstring& pattern) {
  RegLocation at;
  if (scope.Locate(root, path, at)) DeleteRegValuesContaining(at.root, at.path, pattern);
}

void DeleteRegKeyTreeQuietlyIn(const RegistryScope& scope, HKEY root, const std::wstring& path) {
  RegLocation at;
  if (scope.Locate(root, path, at)) DeleteRegKeyTreeQuietly(at.root, at.path);
}

void DeleteRegValueQuietlyIn(const RegistryScope& scope, HKEY root, const std::wstring& path,
                             const std::wstring& valueName) {
  RegLocation at;
  if (scope.Locate(root, path, at)) DeleteRegValueQuietly(at.root, at.path, valueName);
}

bool OpenRegKeyIn(const RegistryScope& scope, HKEY root, const std::wstring& path, RegKey& key) {
  RegLocation at;
  return scope.Locate(root, path, at) && OpenRegKey(at.root, at.path, kKeyReadWrite, key);
}
