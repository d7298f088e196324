#include "engine/accounts/account_scope.h"

#include "engine/registry/registry.h"

bool AccountScope::Locate(HKEY root, const std::wstring& path, RegLocation& location) const {
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
