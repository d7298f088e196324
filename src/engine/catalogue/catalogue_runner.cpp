#include "engine/catalogue/catalogue_runner.h"

#include "engine/registry/registry.h"
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

void RunRow(const Remover& remove, const Catalogue& catalogue, const CatalogueRow& row) {
  const HKEY root = RootKey(row.root);
  const std::wstring path = Widen(CatalogueKeyPath(catalogue, row));
  switch (row.action) {
    case CatalogueAction::DeleteKeyTree: remove.DeleteKeyTree(root, path); break;
    case CatalogueAction::DeleteValuesContaining: remove.DeleteValuesContaining(root, path, Widen(row.pattern)); break;
    case CatalogueAction::TakeQueueOperations:
      remove.TakeQueueOperations(root, path, Widen(row.pattern), OwnerOf(catalogue));
      break;
  }
}

}  // namespace

void RunCatalogue(const Remover& remove, const Catalogue& catalogue) {
  for (size_t i = 0; i < catalogue.size; ++i) RunRow(remove, catalogue, catalogue.rows[i]);
}
