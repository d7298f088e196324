#pragma once
// The ORV client's registry and COM catalogue: one constant table of what the removal deletes,
// walked in order.
#include <windows.h>

#include <cstddef>
#include <string>

#include "engine/registry_scope.h"
#include "orv/orv_ids.h"

enum OrvCatalogueAction {
  ORV_DELETE_KEY_TREE,        // the key with everything below it
  ORV_DELETE_VALUES_CONTAINING,  // every value whose name contains the pattern
  ORV_REMOVE_PENDING_RENAMES,    // ORV's operations from the values whose name contains it
};

struct OrvCatalogueEntry {
  OrvCatalogueAction action;
  HKEY root;
  const char* path;     // the key path, or its beginning when `id` is set
  OrvId id;             // identifier appended to `path` (ORV_ID_NONE: none)
  const char* pattern;  // the value-name pattern of the value actions
};

extern const OrvCatalogueEntry kOrvCatalogue[];
extern const size_t kOrvCatalogueSize;

// Removes every entry of the catalogue, in order. Each key that existed yields one log line,
// each value removed or rewritten one more. Another account's scope takes only the rows of
// the current user's roots.
void RemoveOrvCatalogue(const RegistryScope& scope = RegistryScope());

// For each value of the key whose name contains `pattern`, removes the operations of which a
// path is ORV's; the value goes when nothing else is left in it, otherwise the rest is
// written back. One "Delete Reg Val" report per value changed.
void RemoveOrvPendingRenames(HKEY root, const std::wstring& subKey, const std::wstring& pattern);
