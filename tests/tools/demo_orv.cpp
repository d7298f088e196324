// The ORV client and the launcher on the demo machine: the same installation the ORV tests
// use, with the secure API, so that the removal starts the host with "-u". (The host is not
// left running: it would keep Wine, and so the demo script's output pipe, open.)
#include <cstdio>
#include <string>

#include "demo_machine.h"
#include "orv_machine.h"
#include "test_support.h"

namespace {

const char kSessionManager[] = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager";

OrvMachineSetup DemoSetup() {
  OrvMachineSetup setup;
  setup.secureApi = true;
  return setup;
}

bool IsLauncherItem(const OrvItem& item) {
  return item.goneWhen == GONE_LAUNCHER || item.path.rfind("Software\\Varenta\\qlaunch", 0) == 0 ||
         item.path.rfind(LauncherFolder(), 0) == 0;
}

// What the demo's removal takes away. The launcher's settings are not the launcher removal's
// to delete: they go with the PEL client's user key (HKCU\Software\Varenta), which the demo
// removes too.
bool MustGo(const OrvItem& item) {
  return ExpectGone(item, -1, true) || item.path.rfind("Software\\Varenta\\qlaunch", 0) == 0;
}

void Count(const OrvItem& item, DemoTally& tally) {
  if (!MustGo(item)) ++tally.others;
  else if (item.kind == ITEM_KEY) ++tally.keys;
  else if (item.kind == ITEM_VALUE) ++tally.values;
  else if (item.kind == ITEM_FILE) ++tally.files;
  else ++tally.folders;
}

std::string Describe(const OrvItem& item) {
  switch (item.kind) {
    case ITEM_KEY: return "registry key " + DescribeOrvItem(item);
    case ITEM_VALUE: return "registry value " + DescribeOrvItem(item);
    case ITEM_DIR: return "folder " + item.path;
    case ITEM_FILE: return "file " + item.path;
  }
  return item.path;
}

}  // namespace

bool InstallOrvDemo() {
  std::string error;
  if (!InstallOrvMachine(DemoSetup(), BinDir(), error)) {
    std::printf("ORV client not installed: %s\n", error.c_str());
    return false;
  }
  DemoTally client, launcher;
  for (const OrvItem& item : OrvMachineItems(DemoSetup())) Count(item, IsLauncherItem(item) ? launcher : client);
  std::printf("ORV client installed (2 configurations): %s; and its file operations "
              "queued for the next start of Windows\n", DescribeTally(client).c_str());
  std::printf("QLaunch launcher installed in %s: %s\n", LauncherFolder().c_str(),
              DescribeTally(launcher).c_str());
  return true;
}

void CheckOrvDemo(std::vector<std::string>& left) {
  for (const OrvItem& item : OrvMachineItems(DemoSetup()))
    if (MustGo(item) && OrvItemIsThere(item))
      left.push_back(std::string(IsLauncherItem(item) ? "QLaunch: " : "ORV: ") + Describe(item));
  // The queue of the next start of Windows keeps only other programs' operations.
  const std::u16string pending = ReadPendingOperations(false);
  if (pending != PendingOperationsLeft()) {
    std::string text;
    for (char16_t c : pending) text += c == 0 ? '|' : c < 128 ? char(c) : '?';
    left.push_back(std::string("ORV: registry value ") + kSessionManager +
                   " - PendingFileRenameOperations holds: " + text);
  }
  if (!ReadPendingOperations(true).empty())
    left.push_back(std::string("ORV: registry value ") + kSessionManager + " - PendingFileRenameOperations2");
}
