#pragma once
// The queue of file operations that Windows carries out at its next start
// ("PendingFileRenameOperations", a REG_MULTI_SZ value): pairs of a source path and a target
// path (empty for a deletion). Other installers and Windows itself keep their work there, so
// the ORV removal takes out only the client's own operations.
#include <cstddef>
#include <cstdint>
#include <string>

// True when a component of `path` (split at "\" and "/") begins with "orv", ignoring case.
bool IsOrvPath(const std::u16string& path);

struct PendingRenamesFilter {
  bool changed = false;  // some operation was ORV's
  bool empty = false;    // nothing is left
  std::u16string rest;   // the remaining operations as REG_MULTI_SZ data, in order
};

// Takes out of the REG_MULTI_SZ data `data` (UTF-16 code units, with or without its closing
// empty string) every operation of which either path is ORV's. The other operations are kept
// unchanged and in order. A list with an unpaired last string is left as it is (unchanged).
PendingRenamesFilter FilterOrvRenameOperations(const std::u16string& data);

// The registry type of a queue (REG_MULTI_SZ).
const uint32_t kPendingQueueType = 7;

// The queue's data as UTF-16 code units, from a value of type `type` holding `size` bytes.
// False for a value this program does not know how to rewrite: another type, or an odd
// number of bytes. A queue without its closing empty string is read as far as it goes.
bool PendingQueueFromValue(uint32_t type, const uint8_t* bytes, size_t size, std::u16string& data);
