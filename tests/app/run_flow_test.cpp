// The run flow end to end: the real purgon.exe under Wine, driven through its boxes.
#include <gtest/gtest.h>
#include <windows.h>
#include <tlhelp32.h>
#include <shlwapi.h>


#include "app/app_module.h"
#include "app/run_flow.h"
#include "app/texts.h"
#include "test_support.h"
#include "version.h"

namespace {

const std::string kTitle = "Purgon " PURGON_VERSION_TEXT;

class RunFlow : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = MakeScratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
  }
  void TearDown() override { DeleteTreeForTest(dir_); }
  std::string LogPath() const { return dir_ + "purgon.log"; }
  std::string dir_;
};

TEST_F(RunFlow, QuestionMarkShowsExactlyTheUsage) {
  RunResult r = RunPurgon("/v /? /pel 3", dir_, PressEach({"OK"}));
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(r.exitCode, 0u);
  ASSERT_EQ(r.boxes.size(), 1u);
  EXPECT_EQ(r.boxes[0].caption, "Usage");
  EXPECT_EQ(r.boxes[0].text,
            "purgon [/l] [/s] [/v] [/orv options] [/pel options] [/ql]\n\n/l\t- write to purgon.log\n"
            "/s\t- silent mode\n/v\t- verbose mode\n\n/ql\t- remove QLaunch\n\nOptions (add together):\n"
            " 1 - (not used)\n 2 - All users\n 4 - Remove desktop shortcuts\n 8 - Remove start menu\n"
            "16 - Remove cstore\n32 - Shutdown client\n64 - Remove prefs\n"
            "\n/preview\t- list what would be removed, change nothing\n"
            "/backup\t- keep what is removed in a protected backup folder\n"
            "/restore\t- put the newest backup back (/restore name: that one)\n"
            "/codes\t- exit codes: 0 done, 3010 reboot and run again, 1602 declined\n");
  EXPECT_EQ(r.boxes[0].buttons, std::vector<std::string>{"OK"});
  EXPECT_EQ(r.boxes[0].icon, BoxInfo::NONE);
  EXPECT_FALSE(r.boxes[0].owned);
}

TEST_F(RunFlow, NoAtTheConfirmationEndsWithoutLog) {
  RunResult r = RunPurgon("/ql /l", dir_, PressEach({"No"}));
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(r.exitCode, 0u);
  ASSERT_EQ(r.boxes.size(), 1u);
  EXPECT_EQ(r.boxes[0].caption, kTitle);
  EXPECT_EQ(r.boxes[0].text,
            "This program will remove Varenta components from your computer.\nDo you wish to continue?");
  EXPECT_EQ(r.boxes[0].buttons, (std::vector<std::string>{"Yes", "No"}));
  EXPECT_EQ(r.boxes[0].icon, BoxInfo::NONE);
  EXPECT_FALSE(r.boxes[0].owned);
  EXPECT_FALSE(FileExists(LogPath()));
}

TEST_F(RunFlow, YesRunsAndReportsSuccessWithAnEmptyLog) {
  RunResult r = RunPurgon("/ql /l", dir_, AnswerYesThenOk());
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(r.exitCode, 0u);
  ASSERT_EQ(r.boxes.size(), 2u);
  EXPECT_EQ(r.boxes[1].caption, kTitle);
  EXPECT_EQ(r.boxes[1].text, "Purgon completed successfully.");
  // Icon handles can be told apart only inside the process that loaded them; which icon the
  // success box has is checked in process below.
  EXPECT_NE(r.boxes[1].icon, BoxInfo::NONE);
  EXPECT_FALSE(r.boxes[1].owned);
  EXPECT_TRUE(FileExists(LogPath()));
  EXPECT_EQ(ReadFileBytes(LogPath()), "");
}

TEST_F(RunFlow, VerboseSummaryIsShownEvenWhenSilent) {
  RunResult r = RunPurgon("/s /v /pel 36", dir_, PressEach({"OK"}));
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(r.exitCode, 0u);
  ASSERT_GE(r.boxes.size(), 1u);
  EXPECT_EQ(r.boxes[0].caption, kTitle);
  RunSettings asked;  // the summary's text itself is pinned by its own test
  asked.pelOptions = 36;
  asked.silent = asked.verbose = true;
  EXPECT_EQ(r.boxes[0].text, BuildOptionsSummary(asked));
  EXPECT_EQ(r.boxes[0].buttons, std::vector<std::string>{"OK"});
  EXPECT_EQ(r.boxes[0].icon, BoxInfo::NONE);
  EXPECT_FALSE(r.boxes[0].owned);
  // Silent: no confirmation before it and no report after it (the PEL removal's own
  // installation report may follow in verbose mode).
  for (size_t i = 1; i < r.boxes.size(); ++i) {
    EXPECT_NE(r.boxes[i].text, "Purgon completed successfully.");
    EXPECT_EQ(r.boxes[i].text.find("could not be deleted"), std::string::npos);
  }
}

TEST_F(RunFlow, SilentRunShowsNoBoxAtAll) {
  RunResult r = RunPurgon("-s -ql", dir_, PressEach({}));
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(r.exitCode, 0u);
  EXPECT_TRUE(r.boxes.empty());
}

// "/l /regserver" (registration only, no log) is tested with the registration itself, in a
// prefix of its own: it writes to HKEY_CLASSES_ROOT.

// The process of the running purgon.exe, opened to wait for its end; none when none runs.
HANDLE OpenPurgonProcess(DWORD& processId) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof(entry);
  processId = 0;
  for (BOOL ok = Process32First(snapshot, &entry); ok; ok = Process32Next(snapshot, &entry))
    if (lstrcmpiA(entry.szExeFile, "purgon.exe") == 0) processId = entry.th32ProcessID;
  CloseHandle(snapshot);
  return processId ? OpenProcess(SYNCHRONIZE, FALSE, processId) : nullptr;
}

// Posts WM_QUIT to every thread of the process: only its main thread runs a message loop.
void PostQuitToEveryThread(DWORD processId) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL ok = Thread32First(snapshot, &entry); ok; ok = Thread32Next(snapshot, &entry))
    if (entry.th32OwnerProcessID == processId) PostThreadMessageA(entry.th32ThreadID, WM_QUIT, 0, 0);
  CloseHandle(snapshot);
}

TEST_F(RunFlow, AutomationServesUntilQuitAndRemovesNothing) {
  // Items the removals asked for would delete: a PEL start-up value, the launcher's files.
  const char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
  const char kLauncherKey[] = "Software\\Varenta\\qlaunch";
  ASSERT_TRUE(SetRegString(HKEY_CURRENT_USER, kRun, "Varenta", "C:\\Apps\\Varenta.exe"));
  ASSERT_TRUE(WriteFileBytes(dir_ + "qlaunch.exe", "not a program"));
  ASSERT_TRUE(SetRegString(HKEY_CURRENT_USER, kLauncherKey, "path", dir_ + "qlaunch.exe"));
  // The automation loop runs until a WM_QUIT reaches the main thread. This test plays the
  // sender: once the log is open the program is past its start-up and must keep serving; it
  // then posts WM_QUIT until the process has ended.
  bool keptRunning = false;
  TestThread quitter([this, &keptRunning]() {
    DWORD processId = 0;
    HANDLE process = nullptr;
    for (int i = 0; i < 6000 && !(process && FileExists(LogPath())); ++i) {
      if (!process) process = OpenPurgonProcess(processId);
      Sleep(10);  // polling for the program's start, not racing it
    }
    if (!process) return;
    keptRunning = WaitForSingleObject(process, 1000) == WAIT_TIMEOUT;
    do PostQuitToEveryThread(processId);
    while (WaitForSingleObject(process, 100) == WAIT_TIMEOUT);
    CloseHandle(process);
  });
  // Verbose as well: automation shows no summary either.
  RunResult r = RunPurgon("/automation /pel 1 /ql /s /l /v", dir_, PressEach({}), 60000);
  quitter.join();
  ASSERT_TRUE(r.finished);
  EXPECT_TRUE(keptRunning) << "the program ended before it was asked to";
  EXPECT_EQ(r.exitCode, 0u);
  EXPECT_TRUE(r.boxes.empty());
  EXPECT_EQ(ReadFileBytes(LogPath()), "");  // log opened, nothing removed
  EXPECT_TRUE(RegValueExists(HKEY_CURRENT_USER, kRun, "Varenta"));
  EXPECT_TRUE(FileExists(dir_ + "qlaunch.exe"));
  SHDeleteValueA(HKEY_CURRENT_USER, kRun, "Varenta");
  DeleteRegTreeForTest(HKEY_CURRENT_USER, "Software\\Varenta");
}

// Shows the final report in this test process while a second thread reads and closes it as
// a user would.
BoxInfo FinalReportBox(AppModule& app, const std::vector<std::string>& failures) {
  app.cleanup.failures = failures;
  BoxInfo seen;
  TestThread user([&seen]() {
    if (WaitForBox(GetCurrentProcessId(), 10000, seen)) PressButton(seen, "OK");
  });
  ShowFinalReport(app);
  user.join();
  return seen;
}

TEST(FinalReport, NoFailuresGiveTheSuccessBox) {
  AppModule app;
  // This test program has no version resource: the title is the bare prefix.
  EXPECT_EQ(app.title, "Purgon ");
  BoxInfo seen = FinalReportBox(app, {});
  EXPECT_EQ(seen.caption, app.title);
  EXPECT_EQ(seen.text, "Purgon completed successfully.");
  EXPECT_EQ(seen.icon, BoxInfo::INFORMATION);
  EXPECT_EQ(seen.buttons, std::vector<std::string>{"OK"});
  EXPECT_FALSE(seen.owned);
}

TEST(FinalReport, FailuresAreListedWithTheExclamationIcon) {
  AppModule app;
  BoxInfo seen = FinalReportBox(app, {"a", "b", "c"});
  EXPECT_EQ(seen.caption, app.title);
  EXPECT_EQ(seen.text, BuildFailureReport({"a", "b", "c"}));  // its text has its own test
  EXPECT_EQ(seen.icon, BoxInfo::EXCLAMATION);
  EXPECT_EQ(seen.buttons, std::vector<std::string>{"OK"});
  EXPECT_FALSE(seen.owned);
}

}  // namespace
