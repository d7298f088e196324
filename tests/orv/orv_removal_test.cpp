// The ORV client removal end to end: the ORV client and the launcher installed for real on a
// Wine machine, the real purgon.exe run against it, and the log and the machine compared with
// what must be (expected logs in data/, expected machine in the installation's rows).
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <sstream>

#include "orv/orv_ids.h"
#include "orv_machine.h"
#include "test_support.h"

namespace {

const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

enum Layout { TODAYS_LAYOUT, CLASSIC_LAYOUT };

struct Scenario {
  const char* name;
  const char* arguments;
  int32_t orvOptions;  // the ORV option word the arguments give (0: no ORV removal)
  bool launcher;
  Layout layout;
  bool secureApi;
  std::vector<std::string> hosts;  // items running when the removal starts
  DWORD hostLifeMs;                // after which a host that was not stopped leaves
  const char* expectedLog;         // file in data/
  std::vector<std::string> hostRecord;  // what the host received, in any order
};

const std::string kInvoke =
    "invoke member=10012 iid=IID_NULL locale=0x0400 flags=1 args=1 named=0 [VT_I2 -1]";

// Each run of the ORV removal costs two seconds of waiting for the host.
const Scenario kScenarios[] = {
    {"com_path_option_1", "/orv 1 /l /s", 1, false, TODAYS_LAYOUT, false, {"QHost"}, 60000, "orv_1.log",
     {"started -item QHost -life 60000", kInvoke, "stopped QHost"}},
    {"secure_path_option_16", "/orv 16 /l /s", 16, false, TODAYS_LAYOUT, true, {"QHost"}, 60000, "orv_16.log",
     {"started -item QHost -life 60000", "started -u", "stopped QHost"}},
    {"option_64", "/orv 64 /l /s", 64, false, TODAYS_LAYOUT, false, {}, 0, "orv_64.log", {}},
    {"option_80", "/orv 80 /l /s", 80, false, TODAYS_LAYOUT, true, {}, 0, "orv_80.log", {"started -u"}},
    // Only "QHost" is asked to stop; the wait for "QHostNew" lasts until it has gone.
    {"option_4_new_host_waited_for", "/orv 4 /l /s", 4, false, TODAYS_LAYOUT, false, {"QHostNew"}, 3000,
     "orv_4.log", {"started -item QHostNew -life 3000", "timed out QHostNew"}},
    {"all_users_todays_layout", "/orv 82 /l /s", 82, false, TODAYS_LAYOUT, true, {}, 0, "orv_82.log",
     {"started -u"}},
    {"all_users_classic_layout", "/orv 82 /l /s", 82, false, CLASSIC_LAYOUT, true, {}, 0, "orv_82.log",
     {"started -u"}},
    // 4294967295 is -1 in 32 bits ("/orv -1" would read the number 1: "-" separates words).
    {"every_step_both_hosts", "/orv 4294967295 /l /s", -1, false, TODAYS_LAYOUT, true,
     {"QHost", "QHostNew"}, 60000, "orv_all.log",
     {"started -item QHost -life 60000", "started -item QHostNew -life 60000", "started -u",
      "stopped QHost", "stopped QHostNew"}},
    {"launcher_alone", "/ql /l /s", 0, true, TODAYS_LAYOUT, false, {}, 0, "launcher.log", {}},
};

void PrintTo(const Scenario& scenario, std::ostream* out) { *out << scenario.name; }

std::string DataPath(const std::string& name) { return BinDir() + "orv_data\\" + name; }

// The expected log: the data file's lines with this machine's paths and identifiers.
std::vector<std::string> ExpectedLog(const std::string& name) {
  std::vector<std::string> lines;
  for (const std::string& line : TextLines(ReadFileBytes(DataPath(name))))
    if (!line.empty()) lines.push_back(ExpandOrvTokens(line));
  return lines;
}

void SetClassicLayout(bool classic) {
  if (classic) {
    SetRegString(HKEY_CURRENT_USER, kShellFolders, "AppData", "%USERPROFILE%\\Application Data",
                 REG_EXPAND_SZ);
  } else {
    SetRegString(HKEY_CURRENT_USER, kShellFolders, "AppData", "%USERPROFILE%\\AppData\\Roaming",
                 REG_EXPAND_SZ);
  }
  char appData[MAX_PATH] = {};
  SHGetSpecialFolderPathA(nullptr, appData, CSIDL_APPDATA, TRUE);
  MakeDirs(std::string(appData) + "\\");
}

class OrvRemoval : public ::testing::TestWithParam<Scenario> {
 protected:
  void SetUp() override {
    const Scenario& s = GetParam();
    UninstallOrvMachine();
    SetClassicLayout(s.layout == CLASSIC_LAYOUT);
    setup_.secureApi = s.secureApi;
    std::string error;
    ASSERT_TRUE(InstallOrvMachine(setup_, BinDir(), error)) << error;
    for (const std::string& item : s.hosts)
      ASSERT_TRUE(StartOrvHost(item, s.hostLifeMs)) << "host " << item << " did not start";
    dir_ = MakeScratchDir(s.name);
  }
  void TearDown() override {
    for (const char* item : kOrvHostItems) EXPECT_FALSE(IsHostRunning(item)) << item << " still runs";
    UninstallOrvMachine();
    SetClassicLayout(false);
    DeleteTreeForTest(dir_);
  }
  OrvMachineSetup setup_;
  std::string dir_;
};

TEST_P(OrvRemoval, LogAndMachineAreAsExpected) {
  const Scenario& s = GetParam();
  RunResult run = RunPurgon(s.arguments, dir_, PressEach({}));
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_TRUE(run.boxes.empty());

  // The whole log, line for line; a difference is printed, never written out as a new
  // expected log.
  const std::vector<std::string> log = TextLines(ReadFileBytes(dir_ + "purgon.log"));
  EXPECT_EQ(DiffLines(ExpectedLog(s.expectedLog), log), "") << "expected " << s.expectedLog;

  // Every installed item is gone exactly when it must be, and what stays is unchanged.
  for (const OrvItem& item : OrvMachineItems(setup_)) {
    const bool gone = ExpectGone(item, s.orvOptions, s.launcher);
    EXPECT_EQ(OrvItemIsThere(item), !gone) << DescribeOrvItem(item) << (gone ? " must be gone" : " must stay");
    if (!gone && item.kind == ITEM_FILE && item.data[0] != '@') {
      EXPECT_EQ(ReadFileBytes(item.path), item.data) << item.path;
    }
  }

  // Only the client's operations leave the queue of the next start of Windows.
  const bool orv = s.orvOptions != 0;
  EXPECT_TRUE(ReadPendingOperations(false) == (orv ? PendingOperationsLeft() : InstalledPendingOperations()))
      << "PendingFileRenameOperations";
  EXPECT_EQ(ReadPendingOperations(true).empty(), orv) << "PendingFileRenameOperations2";

  // What the host received, and the launcher's start.
  std::vector<std::string> record = TextLines(ReadFileBytes(HostRecordPath()));
  std::vector<std::string> expectedRecord = s.hostRecord;
  std::sort(record.begin(), record.end());
  std::sort(expectedRecord.begin(), expectedRecord.end());
  EXPECT_EQ(record, expectedRecord);
  std::string folder = LauncherFolder();
  folder.pop_back();
  EXPECT_EQ(ReadFileBytes(LauncherRecordPath()), s.launcher ? "/unregserver|" + folder + "\n" : "");
}

INSTANTIATE_TEST_SUITE_P(Runs, OrvRemoval, ::testing::ValuesIn(kScenarios),
                         [](const ::testing::TestParamInfo<Scenario>& info) { return info.param.name; });

}  // namespace
