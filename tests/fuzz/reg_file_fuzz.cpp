// The backup's registry-file reader: any text is read without fault, and whatever it reads is
// written again as text that reads back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/registry/reg_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<RegFileKey> keys;
  if (!ParseRegFile(std::string(reinterpret_cast<const char*>(data), size), keys, nullptr)) return 0;
  std::string text = kRegFileHeader, line;
  for (const RegFileKey& key : keys) {
    if (!FormatRegKeyLine(key.path, line)) return 0;
    text += line;
    for (const RegFileValue& value : key.values) {
      if (!FormatRegValueLine(value, line)) return 0;
      text += line;
      if (value.hasLeft) text += FormatRegLeftLine(value.left);
      if (value.hasWide) text += FormatRegWideLine(value.wide);
    }
  }
  std::vector<RegFileKey> again;
  if (!ParseRegFile(text, again, nullptr) || again.size() != keys.size()) std::abort();
  for (size_t k = 0; k < keys.size(); ++k) {
    if (again[k].path != keys[k].path || again[k].values.size() != keys[k].values.size()) std::abort();
    for (size_t v = 0; v < keys[k].values.size(); ++v) {
      const RegFileValue& a = keys[k].values[v];
      const RegFileValue& b = again[k].values[v];
      if (a.name != b.name || a.type != b.type || a.data != b.data || a.hasLeft != b.hasLeft ||
          a.left != b.left || a.hasWide != b.hasWide || a.wide != b.wide)
        std::abort();
    }
  }
  return 0;
}
