// The README's own command on a machine with both clients and the launcher installed: the PEL
// removal, then the ORV removal, then the launcher's, all in one run, with one file of the PEL
// client held open by another program. Judged by the whole log and the final report.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "orv_machine.h"
#include "pel_machine.h"
#include "test_support.h"

namespace {

// The ORV removal's expected log for every step (tests/orv/data), for this machine.
std::vector<std::string> OrvExpectedLog() {
  std::vector<std::string> lines;
  for (const std::string& line : LogLines(ReadFileBytes(BinDir() + "orv_data\\orv_all.log")))
    if (!line.empty()) lines.push_back(ExpandOrvTokens(line));
  return lines;
}

TEST(FullRun, BothClientsAndTheLauncherInOrderWithAFileInUse) {
  const std::string dir = MakeScratchDir("full_run");
  SetEnvironmentVariableA("PEL_FAKE_RECORD", (dir + "shutdown.txt").c_str());
  const MachinePlaces places = FindMachinePlaces(false);
  const std::vector<MachineItem> pelItems = ParseMachine(ReadPelDataFile("pel_machine.txt"), places);
  ASSERT_GT(pelItems.size(), 150u);
  ASSERT_EQ(JoinLines(InstallMachine(pelItems)), "");
  OrvMachineSetup orv;
  orv.secureApi = true;
  std::string error;
  ASSERT_TRUE(InstallOrvMachine(orv, BinDir(), error)) << error;
  // Both clients write the launcher's settings; the ORV installation's launcher is the one.
  ASSERT_TRUE(RegValueExists(HKEY_CURRENT_USER, "Software\\Varenta\\qlaunch", "path"));
  const std::string install = places["INSTALL"];
  const std::string held = install + "client.ini";

  RunResult run;
  {
    HeldFile holder(held);
    ASSERT_TRUE(holder.held());
    run = RunPurgon("/pel /orv /ql /l", dir, AnswerYesThenOk());
  }
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 0u);

  // PEL first, every step, the held file and its folder failing; the launcher's folder lies
  // in the PEL client's program folder and goes with it. Then ORV, every step. The launcher
  // removal that follows finds its files gone: it deletes nothing and starts nothing, not even
  // the "qlaunch.exe" that lies beside purgon.exe (the test double).
  const std::string launcher = LauncherFolder();
  std::vector<std::string> expected;
  for (const std::string& line : ExpectedLog(ReadPelDataFile("pel_expected.log.txt"), places, -1)) {
    if (line == "Remove File   : OK     " + places["PF"] + "Varenta\\readme.txt") {
      for (const char* file : {"qlaunch.exe", "qlaunch.ico", "readme.txt"})
        expected.push_back("Remove File   : OK     " + launcher + file);
      expected.push_back("Remove Dir    : OK     " + launcher);
    }
    if (line == "Remove File   : OK     " + held) expected.push_back("Remove File   : failed " + held);
    else if (line == "Remove Dir    : OK     " + install) expected.push_back("Remove Dir    : failed " + install);
    else expected.push_back(line);
  }
  const std::vector<std::string> orvLog = OrvExpectedLog();
  ASSERT_GT(orvLog.size(), 100u) << "orv_all.log not found next to the programs";
  expected.insert(expected.end(), orvLog.begin(), orvLog.end());
  EXPECT_EQ(DiffLines(expected, LogLines(ReadFileBytes(dir + "purgon.log"))), "");

  ASSERT_EQ(run.boxes.size(), 2u);  // the confirmation, then the report
  EXPECT_EQ(run.boxes[1].text, "The following could not be deleted:\n\n" + held + "\n" + install +
                                   "\n\nReboot, then try Purgon again");
  EXPECT_TRUE(FileExists(held));
  EXPECT_EQ(ReadFileBytes(LauncherRecordPath()), "");
  SetEnvironmentVariableA("PEL_FAKE_RECORD", nullptr);
  DeleteTreeForTest(install);
  if (::testing::Test::HasFailure()) std::printf("%s", ReadFileBytes(dir + "purgon.log").c_str());
  DeleteTreeForTest(dir);
}

}  // namespace
