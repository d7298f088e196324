#include "engine/catalogue/catalogue.h"

std::string CatalogueKeyPath(const Catalogue& catalogue, const CatalogueRow& row) {
  return std::string(row.path) + (row.id == kNoIdentifier ? "" : catalogue.identifier(row.id));
}
