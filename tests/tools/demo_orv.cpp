// The ORV client and the launcher on the demo machine: the same installation the ORV tests
// use, with the secure API, so that the removal starts the host with "-u". (The host is not
// left running: it would keep Wine, and so the demo script's output pipe, open.)
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

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

std::vector<std::u16string> Strings(const std::u16string& multiString) {
  std::vector<std::u16string> strings;
  size_t start = 0;
  for (size_t end; (end = multiString.find(u'\0', start)) != std::u16string::npos; start = end + 1)
    if (end > start) strings.push_back(multiString.substr(start, end - start));
  return strings;
}

// The strings of `queue` that the installation queued for the client: those it queued that
// the other programs' operations do not hold.
std::vector<std::u16string> ClientPendingOperations(const std::u16string& queue) {
  const std::vector<std::u16string> others = Strings(PendingOperationsLeft());
  const std::vector<std::u16string> queued = Strings(queue);
  std::vector<std::u16string> found;
  for (const std::u16string& installed : Strings(InstalledPendingOperations())) {
    if (std::find(others.begin(), others.end(), installed) != others.end()) continue;
    if (std::find(queued.begin(), queued.end(), installed) != queued.end()) found.push_back(installed);
  }
  return found;
}

std::string Narrow(const std::u16string& text) {
  std::string narrow;
  for (char16_t c : text) narrow += c < 128 ? char(c) : '?';
  return narrow;
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
  // The queue of the next start of Windows holds none of the client's operations. (Wine acts
  // out a reboot when its server starts and may have run the other programs' ones.)
  for (const std::u16string& operation : ClientPendingOperations(ReadPendingOperations(false)))
    left.push_back(std::string("ORV: registry value ") + kSessionManager +
                   " - PendingFileRenameOperations: " + Narrow(operation));
  if (!ReadPendingOperations(true).empty())
    left.push_back(std::string("ORV: registry value ") + kSessionManager + " - PendingFileRenameOperations2");
}
