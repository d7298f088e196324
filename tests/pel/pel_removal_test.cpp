// The PEL removal end to end: the real purgon.exe under Wine against a machine with the PEL
// client installed for real (pel_machine.txt), its log compared line for line with
// pel_expected.log.txt and the machine with what must go and what must stay.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <algorithm>

#include "engine/core/run_settings.h"
#include "engine/core/handles.h"
#include "pel/pel_control.h"
#include "pel/pel_ids.h"
#include "pel_machine.h"
#include "test_support.h"
#include "version.h"

namespace {

const std::string kTitle = "Purgon " PURGON_VERSION_TEXT;
// The skins in enumeration order, as the control object must receive them.
const char kAllSkinsShutDown[] = "Alpha\nmid\nzeta\n";

class PelRemoval : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = MakeScratchDir("pel");
    record_ = dir_ + "shutdown.txt";
    // purgon.exe inherits it and loads the control object's test double, which records there.
    SetEnvironmentVariableA("PEL_FAKE_RECORD", record_.c_str());
    Install(FindMachinePlaces(false));
  }
  void TearDown() override {
    SetEnvironmentVariableA("PEL_FAKE_RECORD", nullptr);
    DeleteTreeForTest(dir_);
  }

  void Install(const MachinePlaces& places) {
    places_ = places;
    items_ = ParseMachine(ReadPelDataFile("pel_machine.txt"), places_);
    ASSERT_GT(items_.size(), 150u) << "pel_machine.txt not found next to the programs";
    const std::vector<std::string> problems = InstallMachine(items_);
    ASSERT_TRUE(problems.empty()) << JoinLines(problems);
  }

  RunResult Run(const std::string& arguments, const BoxHandler& handler = PressEach({})) {
    RunResult r = RunPurgon(arguments, dir_, handler);
    EXPECT_TRUE(r.finished) << arguments;
    EXPECT_EQ(r.exitCode, 0u) << arguments;
    return r;
  }

  std::vector<std::string> Log() const { return LogLines(ReadFileBytes(dir_ + "purgon.log")); }
  std::vector<std::string> Expected(int32_t word) const {
    return ExpectedLog(ReadPelDataFile("pel_expected.log.txt"), places_, word);
  }

  // The log line for line, the machine item by item, and the shutdown calls.
  void ExpectRemovedAsAsked(int32_t word) {
    EXPECT_EQ(DiffLines(Expected(word), Log()), "") << "/pel " << word;
    const std::vector<std::string> problems = CheckMachine(items_, word);
    EXPECT_TRUE(problems.empty()) << "/pel " << word << "\n" << JoinLines(problems);
    if (HasOptions(word, OPT_SHUTDOWN_CLIENT))
      EXPECT_EQ(ReadFileBytes(record_), kAllSkinsShutDown);
    else
      EXPECT_FALSE(FileExists(record_)) << ReadFileBytes(record_);
  }

  std::string dir_;
  std::string record_;
  MachinePlaces places_;
  std::vector<MachineItem> items_;
};

class PelOptionWord : public PelRemoval, public ::testing::WithParamInterface<int32_t> {};

TEST_P(PelOptionWord, RemovesWhatTheWordAsksForAndNothingElse) {
  const int32_t word = GetParam();
  // "-" separates words like "/": every step is asked for by "/pel" without a number.
  const RunResult r = Run(word == -1 ? "/pel /l /s" : "/pel " + std::to_string(word) + " /l /s");
  EXPECT_TRUE(r.boxes.empty());
  ExpectRemovedAsAsked(word);
  if (word != -1) return;
  // What is left is a machine without the client: a second run finds nothing to log. (The
  // number is taken modulo 2^32, so this is -1 too.)
  DeleteFileA(record_.c_str());
  Run("/pel 4294967295 /l /s");
  EXPECT_EQ(DiffLines({}, Log()), "");
  EXPECT_FALSE(FileExists(record_)) << "no control object without the client";
}

INSTANTIATE_TEST_SUITE_P(Words, PelOptionWord,
                         ::testing::Values(1, 16, 64, 80, 4, 8, 32, 2 + 80, -1),
                         [](const ::testing::TestParamInfo<int32_t>& info) {
                           return info.param < 0 ? std::string("AllBits")
                                                 : "Word" + std::to_string(info.param);
                         });

// Every entry of the profiles root, in listing order, as the report lists the data roots.
std::string ProfileDataRootLines(const MachinePlaces& places) {
  std::string lines;
  WIN32_FIND_DATAA entry = {};
  HANDLE find = FindFirstFileA((places["PROFILES"] + "*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return lines;
  do {
    const std::string name = entry.cFileName;
    if (name != "." && name != "..")
      lines += "\t" + places["PROFILES"] + name + "\\" + places["APPSUB"] + "\n";
  } while (FindNextFileA(find, &entry));
  FindClose(find);
  return lines;
}

TEST_F(PelRemoval, VerboseShowsSummaryThenReportAndTheLauncherGoesAfterThePelClient) {
  const RunResult r = Run("/pel 2 /ql /v /s /l", PressEach({"OK", "OK"}));
  ASSERT_EQ(r.boxes.size(), 2u);
  EXPECT_EQ(r.boxes[0].caption, kTitle);
  EXPECT_EQ(r.boxes[0].text,
            "PEL Options:\n\tAll binaries and registry entries\n\tAll Users\n\nORV Options:\n"
            "\t(none)\nRemove QLaunch");
  EXPECT_EQ(r.boxes[1].caption, kTitle);
  EXPECT_EQ(r.boxes[1].buttons, std::vector<std::string>{"OK"});
  EXPECT_EQ(r.boxes[1].text,
            places_.Expand("Program Files Dir:\t{PF}\nCommon Files Dir:\t{PROGRAMS}\n"
                           "Desktop Dir:\t{DESKTOP}\nVarenta bin dir:\t{INSTALL}bin\\\n"
                           "App Data Dir(s):\n") +
                ProfileDataRootLines(places_) + "\nInstalled Skins:\n\tAlpha\n\tmid\n\tzeta\n");
  EXPECT_NE(r.boxes[1].text.find("\t" + places_["PROFILES"] + "Abel\\"), std::string::npos);
  // The launcher's settings live in the client's user key, which the PEL removal deletes; they
  // are read before it, so the launcher removal that follows still takes the launcher's files.
  std::vector<std::string> expected = Expected(2);
  expected.push_back("Remove File   : OK     C:\\QLaunch\\\\qlaunch.ico");
  expected.push_back("Remove File   : OK     C:\\QLaunch\\qlaunch.exe");
  EXPECT_EQ(DiffLines(expected, Log()), "");
  EXPECT_FALSE(FileExists("C:\\QLaunch\\qlaunch.exe"));
  EXPECT_FALSE(FileExists("C:\\QLaunch\\qlaunch.ico"));
}

// Sets the current user's application-data folder to the old "...\<user>\Application Data"
// layout for as long as it lives.
class OldProfileLayout {
 public:
  OldProfileLayout() {
    RegKey key;
    DWORD size = sizeof(saved_) - 1;
    savedOk_ = RegOpenKeyExA(HKEY_CURRENT_USER, kShellFolders, 0, KEY_READ, key.Receive()) ==
                   ERROR_SUCCESS &&
               RegQueryValueExA(key.get(), "AppData", nullptr, nullptr,
                                reinterpret_cast<BYTE*>(saved_), &size) == ERROR_SUCCESS;
    char profile[MAX_PATH] = {};
    SHGetSpecialFolderPathA(nullptr, profile, CSIDL_PROFILE, FALSE);
    MakeDirs(std::string(profile) + "\\Application Data\\");  // the shell reports existing folders
    SetRegString(HKEY_CURRENT_USER, kShellFolders, "AppData", "%USERPROFILE%\\Application Data",
                 REG_EXPAND_SZ);
  }
  ~OldProfileLayout() {
    if (savedOk_) SetRegString(HKEY_CURRENT_USER, kShellFolders, "AppData", saved_, REG_EXPAND_SZ);
  }
  bool savedOk() const { return savedOk_; }

 private:
  static constexpr const char* kShellFolders =
      "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
  char saved_[MAX_PATH] = {};
  bool savedOk_ = false;
};

TEST_F(PelRemoval, OldProfileLayoutFindsEveryUsersApplicationData) {
  OldProfileLayout layout;
  ASSERT_TRUE(layout.savedOk());
  const MachinePlaces old = FindMachinePlaces(false);
  ASSERT_EQ(old["APPSUB"], "Application Data\\");
  Install(old);
  Run("/pel 82 /l /s");
  ExpectRemovedAsAsked(82);
}

// A "dir" value of a bin folder at a drive root names no install folder: the removal leaves
// the drive alone.
TEST_F(PelRemoval, BinFolderAtADriveRootRemovesNoInstallFolder) {
  ASSERT_TRUE(SetRegString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Varenta\\Skins\\Alpha", "dir", "C:\\bin\\"));
  ASSERT_TRUE(MakeDirs("C:\\bin\\"));
  ASSERT_TRUE(WriteFileBytes("C:\\bin\\keep.txt", "not the client's"));
  Run("/pel 1 /l /s");
  std::vector<std::string> expected = Expected(1);
  const std::string install = places_["INSTALL"];
  expected.erase(std::remove_if(expected.begin(), expected.end(),
                                [&](const std::string& line) {
                                  return line.find(" " + install) != std::string::npos;
                                }),
                 expected.end());
  EXPECT_EQ(DiffLines(expected, Log()), "");
  EXPECT_TRUE(FileExists("C:\\bin\\keep.txt"));
  EXPECT_TRUE(FileExists(install + "client.ini"));
  DeleteTreeForTest("C:\\bin\\");
  DeleteTreeForTest(install);
}

// The control object's test double builds its function table by hand and records a skin
// name only in entry 23: a call through the declared interface must land there.
TEST_F(PelRemoval, ShutdownSkinIsEntry23OfTheControlInterface) {
  HMODULE dll = LoadLibraryA((BinDir() + "fake_pel_control.dll").c_str());
  ASSERT_NE(dll, nullptr);
  using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
  auto getClassObject = reinterpret_cast<GetClassObject>(GetProcAddress(dll, "DllGetClassObject"));
  ASSERT_NE(getClassObject, nullptr);
  CLSID clsid = {};
  IID iid = {};
  wchar_t text[64] = {};
  MultiByteToWideChar(CP_ACP, 0, PelId(PEL_C4), -1, text, 64);
  ASSERT_EQ(CLSIDFromString(text, &clsid), S_OK);
  MultiByteToWideChar(CP_ACP, 0, PelId(PEL_CONTROL_IID), -1, text, 64);
  ASSERT_EQ(CLSIDFromString(text, &iid), S_OK);
  IClassFactory* factory = nullptr;
  ASSERT_EQ(getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
  IPelControl* control = nullptr;
  ASSERT_EQ(factory->CreateInstance(nullptr, iid, reinterpret_cast<void**>(&control)), S_OK);
  BSTR name = SysAllocString(L"Alpha");
  EXPECT_EQ(control->ShutdownSkin(name), S_OK);
  SysFreeString(name);
  control->Release();
  factory->Release();
  EXPECT_EQ(ReadFileBytes(record_), "Alpha\n");
}

}  // namespace
