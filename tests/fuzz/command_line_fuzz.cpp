// libFuzzer target: any byte string as a command line. The parser must not crash or read
// past the line, whatever it holds.
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string line(reinterpret_cast<const char*>(data), size);
  RunSettings settings;
  ParseCommandLineText(line.c_str(), settings, CompareAsciiNoCase);
  return 0;
}
