#include "engine/catalogue/catalogue_runner.h"

#include "engine/registry/registry.h"
#include "engine/removal/registry_removal.h"
#include "engine/text/wide_text.h"

namespace {

HKEY RootKey(CatalogueRoot root) {
  switch (root) {
    case CatalogueRoot::ClassesRoot: return HKEY_CLASSES_ROOT;
    case CatalogueRoot::CurrentUser: return HKEY_CURRENT_USER;
    case CatalogueRoot::LocalMachine: return HKEY_LOCAL_MACHINE;
  }
  return nullptr;
}

std::u16string OwnerOf(const Catalogue& catalogue) {
  const std::wstring owner = Widen(catalogue.queueOwner ? catalogue.queueOwner : "");
  return std::u16string(owner.begin(), owner.end());
}

void RunRow(const Catalogue& catalogue, const CatalogueRow& row, const AccountScope& scope) {
  RegLocation at;
  if (!scope.Locate(RootKey(row.root), Widen(CatalogueKeyPath(catalogue, row)), at)) return;
  switch (row.action) {
    case CatalogueAction::DeleteKeyTree: DeleteRegKeyTree(at.root, at.path); break;
    case CatalogueAction::DeleteValuesContaining:
      DeleteRegValuesContaining(at.root, at.path, Widen(row.pattern));
      break;
    case CatalogueAction::TakeQueueOperations:
      TakeQueueOperations(at.root, at.path, Widen(row.pattern), OwnerOf(catalogue));
      break;
  }
}

}  // namespace

void RunCatalogue(const Catalogue& catalogue, const AccountScope& scope) {
  for (size_t i = 0; i < catalogue.size; ++i) RunRow(catalogue, catalogue.rows[i], scope);
}
