// The ORV removal end to end on machines a plain installation does not give: the secure API
// without a host registration, a user who may not write the classes root, no optional
// components key, profiles outside the profile folder, and a host that never leaves.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <sstream>

#include "orv/orv_ids.h"
#include "orv_machine.h"
#include "test_support.h"

namespace {

const char kOptionalComponents[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Setup\\OptionalComponents";
const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

std::vector<std::string> HostRecord() {
  std::vector<std::string> lines = TextLines(ReadFileBytes(HostRecordPath()));
  std::sort(lines.begin(), lines.end());
  return lines;
}

class OrvEdges : public ::testing::Test {
 protected:
  void SetUp() override {
    UninstallOrvMachine();
    dir_ = MakeScratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
  }
  void TearDown() override {
    // Let every host go, stopped or not, before the next test.
    if (HANDLE stop = OpenEventA(EVENT_MODIFY_STATE, FALSE, "PurgonTestOrvHostStop")) {
      SetEvent(stop);
      CloseHandle(stop);
    }
    // The stop event lives as long as a host holds it; a host of the next test must not find
    // it still set. Uninstalling waits for every host started here to end.
    UninstallOrvMachine();
    DeleteTreeForTest(dir_);
  }
  void Install(bool secureApi) {
    OrvMachineSetup setup;
    setup.secureApi = secureApi;
    std::string error;
    ASSERT_TRUE(InstallOrvMachine(setup, BinDir(), error)) << error;
  }
  RunResult Run(const std::string& arguments) {
    RunResult r = RunPurgon(arguments, dir_, PressEach({}));
    EXPECT_TRUE(r.finished);
    EXPECT_TRUE(r.boxes.empty());
    return r;
  }
  std::string dir_;
};

// The secure API with no server path to start: the start fails, and the waits for both host
// generations still run (each host here leaves on its own, unasked). A machine without the
// optional components key gains it, empty. Profiles whose application data lies outside the
// profile folder are found by the classic rule: the folder above the current user's.
TEST_F(OrvEdges, SecureApiWithoutServerPathClassicProfilesNoOptionalComponents) {
  Install(true);
  DeleteRegTreeForTest(HKEY_CLASSES_ROOT, std::string("CLSID\\") + OrvIdText(ORV_ID_HOST) + "\\LocalServer32");
  DeleteRegTreeForTest(HKEY_CURRENT_USER, kOptionalComponents);
  ASSERT_TRUE(StartOrvHost("QHost", 2500));
  ASSERT_TRUE(StartOrvHost("QHostNew", 3500));
  // C:\Profiles\<one>\Application Data: the rule takes C:\Profiles as the profiles root.
  const std::string mine = "C:\\Profiles\\me\\Application Data\\";
  const std::string other = "C:\\Profiles\\other\\Application Data\\";
  for (const std::string& root : {mine, other}) {
    ASSERT_TRUE(MakeDirs(root + "Varenta\\ConfA\\"));
    ASSERT_TRUE(WriteFileBytes(root + "Varenta\\ConfA\\error.log", "log"));
    ASSERT_TRUE(WriteFileBytes(root + "keep.txt", "not the client's"));
  }
  std::string saved(MAX_PATH, '\0');
  SHGetSpecialFolderPathA(nullptr, &saved[0], CSIDL_APPDATA, FALSE);
  ASSERT_TRUE(SetRegString(HKEY_CURRENT_USER, kShellFolders, "AppData", mine.substr(0, mine.size() - 1),
                           REG_EXPAND_SZ));

  Run("/orv 2 /l /s");
  SetRegString(HKEY_CURRENT_USER, kShellFolders, "AppData", saved.c_str(), REG_EXPAND_SZ);

  // Neither host was asked to stop, and the run did not end before both had gone.
  EXPECT_FALSE(IsHostRunning("QHost"));
  EXPECT_FALSE(IsHostRunning("QHostNew"));
  EXPECT_EQ(HostRecord(), (std::vector<std::string>{"started -item QHost -life 2500",
                                                    "started -item QHostNew -life 3500",
                                                    "timed out QHost", "timed out QHostNew"}));
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kOptionalComponents, 0, KEY_READ, &key), ERROR_SUCCESS);
  DWORD subKeys = 1, values = 1;
  RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, nullptr,
                   nullptr, nullptr, nullptr);
  RegCloseKey(key);
  EXPECT_EQ(subKeys, 0u);
  EXPECT_EQ(values, 0u);
  for (const std::string& root : {mine, other}) {
    EXPECT_FALSE(FileExists(root + "Varenta\\ConfA\\error.log")) << root;
    EXPECT_TRUE(FileExists(root + "keep.txt")) << root;
  }
  DeleteTreeForTest("C:\\Profiles\\");
}

// The secure API's key that the user may not write counts as no secure API: the running host
// is asked through its COM object, and no host is started with "-u".
TEST_F(OrvEdges, SecureApiKeyTheUserCannotWriteMeansTheComPath) {
  Install(true);
  ASSERT_TRUE(SetKeyDeny(HKEY_CLASSES_ROOT, kOrvSecureApiProgId, KEY_SET_VALUE));
  ASSERT_TRUE(StartOrvHost("QHost", 60000));

  Run("/orv 1 /s");
  EXPECT_TRUE(SetKeyDeny(HKEY_CLASSES_ROOT, kOrvSecureApiProgId, 0));
  DeleteRegTreeForTest(HKEY_CLASSES_ROOT, kOrvSecureApiProgId);
  EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, kOrvSecureApiProgId));

  EXPECT_FALSE(IsHostRunning("QHost"));
  EXPECT_EQ(HostRecord(),
            (std::vector<std::string>{
                "invoke member=10012 iid=IID_NULL locale=0x0400 flags=1 args=1 named=0 [VT_I2 -1]",
                "started -item QHost -life 60000", "stopped QHost"}));
}

// A host that never leaves the running object table does not hold the removal for ever: the
// wait gives up after its thirty checks and the removal goes on.
TEST_F(OrvEdges, AHostThatNeverLeavesIsWaitedForAtMostThirtyChecks) {
  Install(false);
  ASSERT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, kOrvSecureApiProgId));
  ASSERT_TRUE(StartOrvHost("QHostNew", 120000));  // never asked: only "QHost" is

  const RunResult r = RunPurgon("/orv 1 /l /s", dir_, PressEach({}), 100000);

  ASSERT_TRUE(r.finished) << "still waiting for the host";
  EXPECT_TRUE(IsHostRunning("QHostNew")) << "the run must have given up, not seen the host leave\n" << ReadFileBytes(HostRecordPath());
  EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, "Software\\orv")) << "the removal went on";
}

}  // namespace
