// The PEL client on the demo machine: every edition, three skins, data of several users,
// the control object (the test double), as the end-to-end tests install it.
#include <cstdio>
#include <string>

#include "demo_machine.h"
#include "pel_machine.h"

namespace {

const int kEveryStep = -1;

// The test data's rows, but for its launcher copy in C:\QLaunch (which the tests keep to show
// that the PEL removal leaves it): the demo machine has one launcher, the ORV installation's.
std::vector<MachineItem> DemoItems() {
  std::vector<MachineItem> items;
  for (MachineItem& item : ParseMachine(ReadPelDataFile("pel_machine.txt"), FindMachinePlaces(false)))
    if (item.fields.empty() || item.fields[0].rfind("C:\\QLaunch\\", 0) != 0) items.push_back(item);
  return items;
}

std::string Describe(const MachineItem& item) {
  const std::vector<std::string>& f = item.fields;
  if (item.kind == "key") return "registry key " + f[0] + "\\" + f[1];
  if (item.kind == "sz" || item.kind == "dword")
    return "registry value " + f[0] + "\\" + f[1] + " - " + (f[2] == "@" ? "(default)" : f[2]);
  return (item.kind == "dir" ? "folder " : "file ") + f[0];
}

}  // namespace

bool InstallPelDemo() {
  const std::vector<MachineItem> items = DemoItems();
  if (items.empty()) {
    std::printf("PEL client not installed: pel_machine.txt not found next to the programs\n");
    return false;
  }
  DemoTally tally;
  for (const MachineItem& item : items) {
    if (!ConditionHolds(item.goneWhen, kEveryStep)) ++tally.others;
    else if (item.kind == "key") ++tally.keys;
    else if (item.kind == "sz" || item.kind == "dword") ++tally.values;
    else if (item.kind == "file") ++tally.files;
    else ++tally.folders;
  }
  const std::vector<std::string> problems = InstallMachine(items);
  for (const std::string& problem : problems) std::printf("PEL: cannot make %s\n", problem.c_str());
  std::printf("PEL client installed (8 editions): %s\n", DescribeTally(tally).c_str());
  return problems.empty();
}

void CheckPelDemo(std::vector<std::string>& left) {
  for (const MachineItem& item : DemoItems())
    if (ConditionHolds(item.goneWhen, kEveryStep) && MachineItemExists(item))
      left.push_back("PEL: " + Describe(item));
}
