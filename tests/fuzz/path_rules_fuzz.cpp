// libFuzzer target: names and paths as the registry and the shell may hold them, through the
// rules that build paths from them. The first line is one text, the rest the other.
#include <cstdio>
#include <cstdlib>

#include "outside_data_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string first, second;
  SplitAtFirstLine(std::string(reinterpret_cast<const char*>(data), size), first, second);
  std::string problem = CheckPathTexts(first, second);
  if (problem.empty()) problem = CheckPathTexts(second, first);
  if (!problem.empty()) {
    std::fprintf(stderr, "%s\n", problem.c_str());
    std::abort();
  }
  return 0;
}
