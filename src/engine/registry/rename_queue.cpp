#include "engine/registry/rename_queue.h"
#include "engine/text/case_folding.h"

#include <cstring>

namespace {

bool BeginsWithNoCase(const std::u16string& path, size_t start, size_t end, const std::u16string& prefix) {
  return !prefix.empty() && end - start >= prefix.size() && SameNoCase(path.data() + start, prefix.data(), prefix.size());
}

}  // namespace

bool IsOwnedPath(const std::u16string& path, const std::u16string& owner) {
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find_first_of(u"\\/", start);
    if (end == std::u16string::npos) end = path.size();
    if (BeginsWithNoCase(path, start, end, owner)) return true;
    start = end + 1;
  }
  return false;
}

namespace {

// True when a name of `path` (split at "\\" and "/") is "." or "..".
bool HasDotName(const std::u16string& path) {
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find_first_of(u"\\/", start);
    if (end == std::u16string::npos) end = path.size();
    const std::u16string name = path.substr(start, end - start);
    if (name == u"." || name == u"..") return true;
    start = end + 1;
  }
  return false;
}

bool IsOwnPath(const std::u16string& path, const std::u16string& owner) {
  return IsOwnedPath(path, owner) && !HasDotName(path);
}

}  // namespace

bool IsOwnOperation(const RenameOperation& operation, const std::u16string& owner) {
  if (!IsOwnPath(operation.source, owner)) return false;
  if (operation.target.empty()) return true;
  const std::u16string target =
      operation.target[0] == u'!' ? operation.target.substr(1) : operation.target;  // "!": replace
  return IsOwnPath(target, owner);
}

QueueTaking TakeOperations(const std::u16string& data, const std::u16string& owner) {
  const std::vector<std::u16string> strings = SplitMultiString(data);
  std::vector<std::u16string> kept;
  QueueTaking result;
  // An unpaired last string makes the list ambiguous: written back with its closing empty
  // string it would read as a deletion. Such a queue is not rewritten at all.
  if (strings.size() % 2 != 0) return result;
  for (size_t i = 0; i + 1 < strings.size(); i += 2) {
    if (IsOwnedPath(strings[i], owner) || IsOwnedPath(strings[i + 1], owner)) {
      result.changed = true;
      result.taken.push_back({strings[i], strings[i + 1]});
      continue;
    }
    kept.push_back(strings[i]);
    kept.push_back(strings[i + 1]);
  }
  result.empty = kept.empty();
  if (result.changed && !result.empty) result.rest = JoinMultiString(kept);
  return result;
}

std::vector<std::u16string> SplitMultiString(const std::u16string& data) {
  std::vector<std::u16string> strings;
  size_t start = 0;
  while (start < data.size()) {
    size_t end = data.find(u'\0', start);
    if (end == std::u16string::npos) end = data.size();
    strings.push_back(data.substr(start, end - start));
    start = end + 1;
  }
  // A closing empty string makes the count odd; pairs of (source, empty target) keep it even.
  if (strings.size() % 2 == 1 && strings.back().empty()) strings.pop_back();
  return strings;
}

std::u16string JoinMultiString(const std::vector<std::u16string>& strings) {
  std::u16string data;
  for (const std::u16string& s : strings) {
    data += s;
    data += u'\0';
  }
  data += u'\0';
  return data;
}

bool PendingQueueFromValue(uint32_t type, const uint8_t* bytes, size_t size, std::u16string& data) {
  if (type != kPendingQueueType || size % sizeof(char16_t) != 0) return false;
  data.resize(size / sizeof(char16_t));
  if (size) std::memcpy(&data[0], bytes, size);
  return true;
}

std::u16string RenameOperationsData(const std::vector<RenameOperation>& operations) {
  std::vector<std::u16string> strings;
  for (const RenameOperation& operation : operations) {
    strings.push_back(operation.source);
    strings.push_back(operation.target);
  }
  return JoinMultiString(strings);
}

bool RenameOperationsOf(const std::u16string& data, std::vector<RenameOperation>& operations) {
  const std::vector<std::u16string> strings = SplitMultiString(data);
  operations.clear();
  if (strings.size() % 2 != 0) return false;
  for (size_t i = 0; i + 1 < strings.size(); i += 2) operations.push_back({strings[i], strings[i + 1]});
  return true;
}

std::u16string QueuedFilePath(const std::u16string& queued) {
  const std::u16string prefix = u"\\??\\";
  return queued.compare(0, prefix.size(), prefix) == 0 ? queued.substr(prefix.size()) : queued;
}

namespace {

bool IsQueued(const std::vector<std::u16string>& strings, const RenameOperation& operation) {
  for (size_t i = 0; i + 1 < strings.size(); i += 2)
    if (EqualsNoCase(strings[i], operation.source) && EqualsNoCase(strings[i + 1], operation.target))
      return true;
  return false;
}

// The operations of the queue as they are, ready to be appended to: false when appending
// could change what they mean or hide what is appended.
bool OpenQueueForAppending(const std::u16string& current, std::vector<std::u16string>& strings) {
  strings = SplitMultiString(current);
  if (strings.size() % 2 != 0) return false;
  while (strings.size() >= 2 && strings[strings.size() - 2].empty() && strings.back().empty())
    strings.resize(strings.size() - 2);
  for (size_t i = 0; i < strings.size(); i += 2)
    if (strings[i].empty()) return false;
  return true;
}

}  // namespace

bool MergeRenameOperations(const std::u16string& current, const std::u16string& kept,
                           const std::function<bool(const RenameOperation&)>& isOwn,
                           const std::function<bool(const std::u16string&)>& sourceExists,
                           RenameQueueMerge& merge) {
  merge = RenameQueueMerge();
  std::vector<std::u16string> strings;
  std::vector<RenameOperation> wanted;
  if (!OpenQueueForAppending(current, strings) || !RenameOperationsOf(kept, wanted)) return false;
  for (const RenameOperation& operation : wanted) {
    if (!isOwn(operation)) {
      merge.foreign.push_back(operation);
    } else if (IsQueued(strings, operation)) {
      merge.alreadyQueued.push_back(operation);
    } else if (operation.source.empty() || !sourceExists(operation.source)) {
      merge.sourceGone.push_back(operation);
    } else {
      strings.push_back(operation.source);
      strings.push_back(operation.target);
      merge.added.push_back(operation);
    }
  }
  merge.data = JoinMultiString(strings);
  return true;
}
