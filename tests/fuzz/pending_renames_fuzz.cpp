// libFuzzer target: any registry value as the queue of the next start of Windows. The first
// byte chooses the value's type (even: the queue's own type), the rest is its data.
#include <cstdlib>
#include <cstdio>

#include "outside_data_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint32_t type = data[0] % 2 == 0 ? kPendingQueueType : data[0];
  const std::string problem = CheckPendingQueue(type, std::string(reinterpret_cast<const char*>(data + 1), size - 1));
  if (!problem.empty()) {
    std::fprintf(stderr, "%s\n", problem.c_str());
    std::abort();
  }
  return 0;
}
