// The PEL removal on the Windows 9x family (Wine reporting "win98"): the current user's
// Programs folder and desktop are searched, the all-users ones stay.
#include <gtest/gtest.h>
#include <windows.h>

#include "pel_machine.h"
#include "test_support.h"

namespace {

TEST(PelRemovalWin9x, UsesTheCurrentUsersProgramsAndDesktop) {
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof(version);
  ASSERT_TRUE(GetVersionExA(&version));
  ASSERT_EQ(version.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_WINDOWS));

  const MachinePlaces places = FindMachinePlaces(true);
  const std::vector<MachineItem> items = ParseMachine(ReadPelDataFile("pel_machine.txt"), places);
  ASSERT_GT(items.size(), 150u);
  const std::vector<std::string> problems = InstallMachine(items);
  ASSERT_TRUE(problems.empty()) << problems.front();

  const std::string dir = MakeScratchDir("pel98");
  const RunResult r = RunPurgon("/pel 12 /l /s", dir, PressEach({}));
  EXPECT_TRUE(r.finished);
  EXPECT_EQ(r.exitCode, 0u);
  EXPECT_EQ(DiffLines(ExpectedLog(ReadPelDataFile("pel_expected.log.txt"), places, 12),
                      LogLines(ReadFileBytes(dir + "purgon.log"))),
            "");
  for (const std::string& problem : CheckMachine(items, 12)) ADD_FAILURE() << problem;
  DeleteTreeForTest(dir);
}

}  // namespace
