#include "orv/pending_renames.h"

namespace {

char16_t LowerAscii(char16_t c) { return (c >= u'A' && c <= u'Z') ? c - u'A' + u'a' : c; }

bool BeginsWithOrv(const std::u16string& path, size_t start, size_t end) {
  const char16_t orv[] = u"orv";
  if (end - start < 3) return false;
  for (size_t i = 0; i < 3; ++i)
    if (LowerAscii(path[start + i]) != orv[i]) return false;
  return true;
}

}  // namespace

bool IsOrvPath(const std::u16string& path) {
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find_first_of(u"\\/", start);
    if (end == std::u16string::npos) end = path.size();
    if (BeginsWithOrv(path, start, end)) return true;
    start = end + 1;
  }
  return false;
}

PendingRenamesFilter FilterOrvRenameOperations(const std::u16string& data) {
  const std::vector<std::u16string> strings = SplitMultiString(data);
  std::vector<std::u16string> kept;
  PendingRenamesFilter result;
  // An unpaired last string makes the list ambiguous: written back with its closing empty
  // string it would read as a deletion. Such a queue is not rewritten at all.
  if (strings.size() % 2 != 0) return result;
  for (size_t i = 0; i + 1 < strings.size(); i += 2) {
    if (IsOrvPath(strings[i]) || IsOrvPath(strings[i + 1])) {
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
