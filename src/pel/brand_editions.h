#pragma once
// The eight branded editions of the PEL client and the names every per-edition path and key
// is built from.
#include <cstddef>

#include "pel/pel_ids.h"

struct BrandEdition {
  const char* editionId;    // Run value names and the prefix of the edition's data folders
  const char* companyName;  // its start-menu folder
  const char* productName;  // its desktop shortcuts begin with it
  PelIdSlot productCode;    // its installer product code: uninstall key, InstallShield folder
};

const size_t kBrandEditionCount = 8;

// The editions in the order they are removed.
extern const BrandEdition kBrandEditions[kBrandEditionCount];
