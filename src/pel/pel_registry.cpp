#include "pel/pel_registry.h"

#include "engine/registry.h"

HKEY PelRootKey(PelRoot root) {
  switch (root) {
    case PEL_HKCR: return HKEY_CLASSES_ROOT;
    case PEL_HKCU: return HKEY_CURRENT_USER;
    case PEL_HKLM: return HKEY_LOCAL_MACHINE;
  }
  return nullptr;
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
