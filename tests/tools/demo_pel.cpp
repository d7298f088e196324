// The PEL client on the demo machine: every edition, three skins, data of several users,
// the control object (the test double), as the end-to-end tests install it.
#include <cstdio>
#include <string>

#include "pel_machine.h"

void InstallPelDemo() {
  std::string problems;
  if (!InstallPelMachine(false, problems)) std::printf("PEL client not fully installed:\n%s", problems.c_str());
}
