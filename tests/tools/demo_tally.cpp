#include <string>

#include "demo_machine.h"

std::string DescribeTally(const DemoTally& tally) {
  const struct {
    int count;
    const char* one;
    const char* many;
  } parts[] = {{tally.keys, "registry key", "registry keys"},
               {tally.values, "registry value", "registry values"},
               {tally.files, "file", "files"},
               {tally.folders, "folder", "folders"}};
  std::string text;
  for (const auto& part : parts) {
    if (part.count == 0) continue;
    if (!text.empty()) text += ", ";
    text += std::to_string(part.count) + " " + (part.count == 1 ? part.one : part.many);
  }
  if (tally.others > 0)
    text += "; beside them " + std::to_string(tally.others) +
            (tally.others == 1 ? " entry" : " entries") + " of other programs or look-alikes, which must stay";
  return text;
}
