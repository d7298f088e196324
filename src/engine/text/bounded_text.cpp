#include "engine/text/bounded_text.h"

namespace {

std::string MoreLine(size_t omitted, const std::string& separator) {
  return "(" + std::to_string(omitted) + " more not shown)" + separator;
}

}  // namespace

size_t AppendListWithinLimit(BoundedText& text, const std::string* entries, size_t count,
                             const std::string& separator, size_t reserve) {
  const size_t start = text.str().size();
  size_t total = 0;  // bytes all entries need
  for (size_t i = 0; i < count; ++i) total += entries[i].size() + separator.size();
  if (text.Fits(total + reserve)) {
    for (size_t i = 0; i < count; ++i) text.Append(entries[i] + separator);
    return 0;
  }
  // Keep whole entries while the "more" line for the rest still fits behind them. The line
  // for fewer omitted entries is never longer, so the first entry that does not fit ends it.
  size_t kept = 0;
  size_t used = 0;
  while (kept < count) {
    size_t next = used + entries[kept].size() + separator.size();
    if (!text.Fits(next + MoreLine(count - kept - 1, separator).size() + reserve)) break;
    used = next;
    ++kept;
  }
  for (size_t i = 0; i < kept; ++i) text.Append(entries[i] + separator);
  if (!text.Append(MoreLine(count - kept, separator))) text.Truncate(start);
  return count - kept;
}
