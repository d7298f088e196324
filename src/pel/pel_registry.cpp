#include "pel/pel_registry.h"

#include <vector>

#include "engine/registry.h"

HKEY PelRootKey(PelRoot root) {
  switch (root) {
    case PEL_HKCR: return HKEY_CLASSES_ROOT;
    case PEL_HKCU: return HKEY_CURRENT_USER;
    case PEL_HKLM: return HKEY_LOCAL_MACHINE;
  }
  return nullptr;
}

std::string ReadStringValue(HKEY key, const char* valueName, DWORD bufferSize) {
  std::vector<char> buffer(bufferSize, '\0');
  DWORD type = 0;
  DWORD size = bufferSize;
  if (RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                       &size) != ERROR_SUCCESS)
    return std::string();
  if (type != REG_SZ && type != REG_EXPAND_SZ) return std::string();
  if (size == 0) return std::string();
  if (size > bufferSize || buffer[size - 1] != '\0') return std::string();
  return std::string(buffer.data());
}

void RemovePelCatalogue() {
  for (const PelCatalogueEntry& entry : kPelCatalogue) {
    const std::string key = PelCatalogueKey(entry);
    if (entry.op == PEL_DELETE_VALUES_CONTAINING)
      DeleteRegValuesContaining(PelRootKey(entry.root), key.c_str(), entry.pattern);
    else
      DeleteRegKeyTree(PelRootKey(entry.root), key.c_str());
  }
}
