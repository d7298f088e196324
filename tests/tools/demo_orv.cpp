// The ORV client and the launcher on the demo machine: the same installation the ORV tests
// use, with the secure API, so that the removal starts the host with "-u". (The host is not
// left running: it would keep Wine, and so the demo script's output pipe, open.)
#include <cstdio>
#include <string>

#include "orv_machine.h"
#include "test_support.h"

void InstallOrvDemo() {
  OrvMachineSetup setup;
  setup.secureApi = true;
  std::string error;
  if (!InstallOrvMachine(setup, BinDir(), error)) {
    std::printf("ORV client not installed: %s\n", error.c_str());
    return;
  }
  std::printf("ORV client and QLaunch launcher installed\n");
}
