#pragma once
// The queue of file operations that Windows carries out at its next start
// ("PendingFileRenameOperations", a REG_MULTI_SZ value): pairs of a source path and a target
// path (empty for a deletion). Other installers and Windows itself keep their work there: a
// removal takes out only its client's operations, a backup keeps only those, and a restore
// adds them back to the queue as it is then.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// One queued operation: the file and where it goes (empty: it is deleted; "!" before the
// path: an existing file there is replaced).
struct RenameOperation {
  std::u16string source;
  std::u16string target;
};

// True when a component of `path` (split at "\" and "/") begins with `owner`, ignoring the
// case of A to Z: the path is one of that client's.
bool IsOwnedPath(const std::u16string& path, const std::u16string& owner);

struct QueueTaking {
  bool changed = false;  // some operation was the client's
  bool empty = false;    // nothing is left
  std::u16string rest;   // the remaining operations as REG_MULTI_SZ data, in order
  std::vector<RenameOperation> taken;  // the operations taken out, in order: all a backup keeps
};

// Takes out of the REG_MULTI_SZ data `data` (UTF-16 code units, with or without its closing
// empty string) every operation of which either path is the client's (`owner`). The other
// operations are kept unchanged and in order. A list with an unpaired last string is left as
// it is (unchanged).
QueueTaking TakeOperations(const std::u16string& data, const std::u16string& owner);

// The strings of REG_MULTI_SZ data. Empty strings inside are kept: they are the targets of
// deletions. The closing empty string, when present, ends the list and is not returned.
std::vector<std::u16string> SplitMultiString(const std::u16string& data);

// The REG_MULTI_SZ data of `strings`, with the closing empty string.
std::u16string JoinMultiString(const std::vector<std::u16string>& strings);

// The registry type of a queue (REG_MULTI_SZ).
const uint32_t kPendingQueueType = 7;

// The queue's data as UTF-16 code units, from a value of type `type` holding `size` bytes.
// False for a value this program does not know how to rewrite: another type, or an odd
// number of bytes. A queue without its closing empty string is read as far as it goes.
bool PendingQueueFromValue(uint32_t type, const uint8_t* bytes, size_t size, std::u16string& data);

// The REG_MULTI_SZ data of `operations` in order, with the closing empty string: the queue a
// backup keeps (only what the removal took out).
std::u16string RenameOperationsData(const std::vector<RenameOperation>& operations);

// The operations of REG_MULTI_SZ data (with or without its closing empty string). False for
// a list with an unpaired last string.
bool RenameOperationsOf(const std::u16string& data, std::vector<RenameOperation>& operations);

// A queued source path as a file path: without the "\??\" the queue puts before it.
std::u16string QueuedFilePath(const std::u16string& queued);

// True when a restore may queue `operation` again for the client `owner`: every path it names
// is the client's (the source, and the target unless the operation deletes), and none holds a
// "." or ".." name that could lead out of the client's folders. Stricter than the removal's
// rule (either path): taking an operation out harms nobody, queueing one acts on its source.
bool IsOwnOperation(const RenameOperation& operation, const std::u16string& owner);

struct RenameQueueMerge {
  std::u16string data;  // the queue with what was added, with its closing empty string; to be
                        // written only when something was added
  std::vector<RenameOperation> added;          // in the order they were added
  std::vector<RenameOperation> alreadyQueued;  // the same operation is in the queue
  std::vector<RenameOperation> sourceGone;     // its file no longer exists
  std::vector<RenameOperation> foreign;        // not the client's own (`isOwn`): never queued
};

// Puts the operations a backup kept (`kept`, REG_MULTI_SZ data) back into the queue as it is
// now (`current`; empty when the value is missing): each operation that is the client's own
// (`isOwn`), is not queued already (paths compared with the letters A to Z folded) and whose
// source file still exists (`sourceExists`, given the source as queued) is appended. Every operation of `current` stays
// as it is and where it is; only empty operations at its end, which would end the list for
// Windows before the appended ones, are dropped. False, and nothing to write, when either list
// has an unpaired last string or `current` holds an operation without a source before its end.
bool MergeRenameOperations(const std::u16string& current, const std::u16string& kept,
                           const std::function<bool(const RenameOperation&)>& isOwn,
                           const std::function<bool(const std::u16string&)>& sourceExists,
                           RenameQueueMerge& merge);
