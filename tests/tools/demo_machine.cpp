// The demo machine (a Wine prefix) behind the README's main command:
//   demo_machine         installs both clients and the launcher and says what it made;
//   demo_machine check   after the removal, looks for every item of the clients it made and
//                        prints "nothing of the clients is left" (exit code 0) or lists what
//                        is left (exit code 1).
// It sees the running account's registry, the machine-wide keys and the files, but not the
// second account's registry: Wine does not write changes of a hive loaded from its file back
// to the file.
#include "demo_machine.h"

#include <cstdio>
#include <cstring>

namespace {

int CheckMachine() {
  std::vector<std::string> left;
  CheckPelDemo(left);
  CheckOrvDemo(left);
  CheckOtherAccountDemo(left);
  if (left.empty()) {
    std::printf("nothing of the clients is left\n");
    return 0;
  }
  std::printf("%u items of the clients are left:\n", static_cast<unsigned>(left.size()));
  for (const std::string& line : left) std::printf("  %s\n", line.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "check") == 0) return CheckMachine();
  const bool pel = InstallPelDemo();
  const bool orv = InstallOrvDemo();
  const bool account = InstallOtherAccountDemo();
  const bool ready = pel && orv && account;
  std::printf(ready ? "demo machine ready\n" : "demo machine NOT fully installed\n");
  return ready ? 0 : 1;
}
