// The demo machine's check against a real whole removal: before it, the check lists the
// clients' items; after purgon.exe /pel /orv /ql /s, nothing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "demo_machine.h"
#include "orv_machine.h"
#include "test_support.h"

namespace {

std::vector<std::string> LeftOfTheClients() {
  std::vector<std::string> left;
  CheckPelDemo(left);
  CheckOrvDemo(left);
  return left;
}

bool Lists(const std::vector<std::string>& left, const std::string& line) {
  for (const std::string& item : left)
    if (item == line) return true;
  return false;
}

TEST(DemoMachine, CheckListsTheClientsBeforeTheRemovalAndNothingAfterIt) {
  ASSERT_TRUE(InstallPelDemo());
  ASSERT_TRUE(InstallOrvDemo());

  const std::vector<std::string> before = LeftOfTheClients();
  EXPECT_TRUE(Lists(before, "QLaunch: file " + LauncherFolder() + "qlaunch.exe"));
  EXPECT_TRUE(Lists(before, "QLaunch: registry value HKCU\\Software\\Varenta\\qlaunch - path"));
  EXPECT_TRUE(Lists(before, "ORV: registry key HKCU\\Software\\orv"));
  EXPECT_TRUE(Lists(before, "PEL: registry value HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run - "
                            "VarentaHelper"));
  // Every item the installation reported (over 300), the look-alikes of other programs apart.
  EXPECT_GT(before.size(), 300u);

  const RunResult run = RunPurgon("/pel /orv /ql /s", MakeScratchDir("demo"), PressEach({}));
  ASSERT_TRUE(run.finished);
  const std::vector<std::string> after = LeftOfTheClients();
  std::string listed;
  for (const std::string& line : after) listed += line + "\n";
  EXPECT_TRUE(after.empty()) << listed;
}

}  // namespace
