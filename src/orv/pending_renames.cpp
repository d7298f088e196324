#include "orv/pending_renames.h"

#include <cstring>
#include <vector>

namespace {

char16_t LowerAscii(char16_t c) { return (c >= u'A' && c <= u'Z') ? c - u'A' + u'a' : c; }

bool BeginsWithOrv(const std::u16string& path, size_t start, size_t end) {
  const char16_t orv[] = u"orv";
  if (end - start < 3) return false;
  for (size_t i = 0; i < 3; ++i)
    if (LowerAscii(path[start + i]) != orv[i]) return false;
  return true;
}

// The strings of REG_MULTI_SZ data. Empty strings inside are kept: they are the targets of
// deletions. The closing empty string, when present, ends the list and is not returned.
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
      continue;
    }
    kept.push_back(strings[i]);
    kept.push_back(strings[i + 1]);
  }
  result.empty = kept.empty();
  if (result.changed && !result.empty) result.rest = JoinMultiString(kept);
  return result;
}

bool PendingQueueFromValue(uint32_t type, const uint8_t* bytes, size_t size, std::u16string& data) {
  if (type != kPendingQueueType || size % sizeof(char16_t) != 0) return false;
  data.resize(size / sizeof(char16_t));
  if (size) std::memcpy(&data[0], bytes, size);
  return true;
}
