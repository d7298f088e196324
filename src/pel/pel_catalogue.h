#pragma once
// The PEL client's registry and COM catalogue: the fixed, ordered list of registry removals
// run once after the editions. Portable data; the Windows side maps roots to handles.
#include <cstddef>
#include <string>

#include "pel/pel_ids.h"

enum PelRoot { PEL_HKCR, PEL_HKCU, PEL_HKLM };

enum PelCatalogueOp {
  PEL_DELETE_KEY_TREE,        // the key with all its sub-keys
  PEL_DELETE_VALUES_CONTAINING  // every value whose name contains the pattern, case ignored
};

struct PelCatalogueEntry {
  PelCatalogueOp op;
  PelRoot root;
  const char* key;      // the path, or its beginning when `id` is a slot
  PelIdSlot id;         // the identifier that ends the path, or PEL_NO_ID
  const char* pattern;  // for PEL_DELETE_VALUES_CONTAINING only
};

const size_t kPelCatalogueSize = 77;

// Run strictly in this order.
extern const PelCatalogueEntry kPelCatalogue[kPelCatalogueSize];

// The entry's full key path: its key followed by its identifier.
std::string PelCatalogueKey(const PelCatalogueEntry& entry);
