#pragma once
// The PEL client's registry and COM catalogue: the fixed, ordered list of registry removals
// run once after the editions. Portable data; the Windows side maps roots to handles.
#include <cstddef>

#include "engine/catalogue/catalogue.h"
#include "pel/pel_ids.h"

const size_t kPelCatalogueSize = 77;

// Run strictly in this order.
extern const CatalogueRow kPelCatalogueRows[kPelCatalogueSize];
extern const Catalogue kPelCatalogue;
