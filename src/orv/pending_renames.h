#pragma once
// The ORV client's operations in the queue of file operations pending for the next start of
// Windows (engine/rename_queue.h): other installers and Windows itself keep their work there,
// so the ORV removal takes out only the client's own.
#include <string>
#include <vector>

#include "engine/rename_queue.h"

// True when a component of `path` (split at "\" and "/") begins with "orv", ignoring case.
bool IsOrvPath(const std::u16string& path);

struct PendingRenamesFilter {
  bool changed = false;  // some operation was ORV's
  bool empty = false;    // nothing is left
  std::u16string rest;   // the remaining operations as REG_MULTI_SZ data, in order
  std::vector<RenameOperation> taken;  // the operations taken out, in order: all a backup keeps
};

// Takes out of the REG_MULTI_SZ data `data` (UTF-16 code units, with or without its closing
// empty string) every operation of which either path is ORV's. The other operations are kept
// unchanged and in order. A list with an unpaired last string is left as it is (unchanged).
PendingRenamesFilter FilterOrvRenameOperations(const std::u16string& data);

