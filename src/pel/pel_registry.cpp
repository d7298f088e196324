#include "pel/pel_registry.h"

#include "engine/registry.h"
#include "engine/registry_scope.h"
#include "engine/wide_text.h"

HKEY PelRootKey(PelRoot root) {
  switch (root) {
    case PEL_HKCR: return HKEY_CLASSES_ROOT;
    case PEL_HKCU: return HKEY_CURRENT_USER;
    case PEL_HKLM: return HKEY_LOCAL_MACHINE;
  }
  return nullptr;
}

void RemovePelCatalogue(const RegistryScope& scope) {
  for (const PelCatalogueEntry& entry : kPelCatalogue) {
    const std::string key = PelCatalogueKey(entry);
    if (entry.op == PEL_DELETE_VALUES_CONTAINING)
      DeleteRegValuesContainingIn(scope, PelRootKey(entry.root), Widen(key), Widen(entry.pattern));
    else
      DeleteRegKeyTreeIn(scope, PelRootKey(entry.root), Widen(key));
  }
}
