// The PEL removal on the Windows 9x family (Wine reporting "win98"): the current user's
// Programs folder and desktop are searched, the all-users ones stay; and the 9x path calls no
// wide function, which Windows 9x has only as stubs that fail.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "engine/core/cleanup_context.h"
#include "engine/core/run_settings.h"
#include "engine/removal/policies.h"
#include "engine/removal/remover.h"
#include "orv/launcher.h"
#include "orv/orv_removal.h"
#include "pel/pel_removal.h"
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

// Windows 9x as its wide functions behave: every function of this program's import table
// whose name ends in "W" (of the system DLLs that have ANSI twins) is replaced by a stub that
// fails as Windows 95's do and notes that it was called. The stubs stand for any function only
// where the caller cleans the stack: the 64-bit build.
class WideStubs {
 public:
  WideStubs() { Patch(true); }
  ~WideStubs() { Patch(false); }
  WideStubs(const WideStubs&) = delete;
  WideStubs& operator=(const WideStubs&) = delete;
  static size_t Count() { return Table().size(); }
  static void Forget() {
    for (Stub& stub : Table()) stub.called = false;
  }
  // The names of the stubbed functions that were called.
  static std::vector<std::string> Called() {
    std::vector<std::string> names;
    for (size_t i = 0; i < Table().size(); ++i)
      if (Table()[i].called) names.push_back(Table()[i].name);
    return names;
  }

 private:
  struct Stub {
    std::string name;
    void** slot = nullptr;
    void* real = nullptr;
    bool called = false;
  };
  static const int kStubs = 160;
  static std::vector<Stub>& Table() {
    static std::vector<Stub> table;
    return table;
  }
  // What Windows 95's stubs give: failure, ERROR_CALL_NOT_IMPLEMENTED (the registry's wide
  // functions return that code itself).
  template <int I>
  static uintptr_t Fail() {
    Stub& stub = Table()[I];
    stub.called = true;
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return stub.name.compare(0, 3, "Reg") == 0 ? ERROR_CALL_NOT_IMPLEMENTED : 0;
  }
  template <int... I>
  static void* StubAt(int index, std::integer_sequence<int, I...>) {
    static void* const stubs[] = {reinterpret_cast<void*>(&Fail<I>)...};
    return stubs[index];
  }
  static bool IsStubbedOn9x(const std::string& dll, const std::string& name) {
    static const char* const kDlls[] = {"kernel32.dll", "advapi32.dll", "user32.dll", "shell32.dll"};
    // Windows 95 implements these wide functions for real.
    static const char* const kReal[] = {"MessageBoxW", "MessageBoxExW", "lstrlenW"};
    if (name.size() < 2 || name.back() != 'W') return false;
    for (const char* real : kReal)
      if (name == real) return false;
    for (const char* known : kDlls)
      if (lstrcmpiA(dll.c_str(), known) == 0) return true;
    return false;
  }
  static void Patch(bool stub) {
    if (stub) Collect();
    for (Stub& entry : Table()) {
      DWORD old = 0;
      VirtualProtect(entry.slot, sizeof(void*), PAGE_READWRITE, &old);
      *entry.slot = stub ? StubAt(static_cast<int>(&entry - Table().data()), std::make_integer_sequence<int, kStubs>())
                         : entry.real;
      VirtualProtect(entry.slot, sizeof(void*), old, &old);
    }
  }
  static void Collect() {
    Table().clear();
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    const auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress); d->Name; ++d) {
      const std::string dll = reinterpret_cast<const char*>(base + d->Name);
      auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk);
      auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
      for (; names->u1.AddressOfData; ++names, ++slots) {
        if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
        const auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
        const std::string name = reinterpret_cast<const char*>(byName->Name);
        if (!IsStubbedOn9x(dll, name) || Table().size() >= static_cast<size_t>(kStubs)) continue;
        Stub entry;
        entry.name = name;
        entry.slot = reinterpret_cast<void**>(&slots->u1.Function);
        entry.real = *entry.slot;
        Table().push_back(entry);
      }
    }
  }
};

// The same machine, removed in this process while its wide functions behave as on Windows
// 95: the registry, the folders and the files all go through the ANSI calls, and the removal
// is the same as on Windows 98 with them working.
TEST(PelRemovalWin9x, TheRemovalCallsNoWideFunction) {
  if (sizeof(void*) != 8) GTEST_SKIP() << "the stubs stand for any function only in the 64-bit build";
  const MachinePlaces places = FindMachinePlaces(true);
  const std::vector<MachineItem> items = ParseMachine(ReadPelDataFile("pel_machine.txt"), places);
  const std::vector<std::string> problems = InstallMachine(items);
  ASSERT_TRUE(problems.empty()) << problems.front();
  const std::string dir = MakeScratchDir("pel98-stubs");
  CleanupContext report;
  ASSERT_TRUE(report.OpenLog((dir + "purgon.log").c_str()));
  std::vector<std::string> called;
  {
    RunContext context(report);
    context.Use(MakePolicy(ChangeMode::Live, context));
    const Remover remove(context);
    RunSettings settings;
    settings.pelOptions = 12;
    settings.orvOptions = -1;
    const ::Run run{settings, "Purgon test", remove};
    WideStubs stubs;
    // The stubs catch a call of this program's own, as a check of themselves.
    wchar_t windows[MAX_PATH] = {};
    EXPECT_EQ(GetWindowsDirectoryW(windows, MAX_PATH), 0u);
    EXPECT_EQ(WideStubs::Called(), std::vector<std::string>{"GetWindowsDirectoryW"});
    EXPECT_GT(WideStubs::Count(), 20u);
    WideStubs::Forget();
    const LauncherLocation launcher = FindLauncher(remove);
    RemovePelClient(run);
    RemoveOrvClient(run);
    RemoveLauncher(run, launcher);
    called = WideStubs::Called();
  }
  report.CloseLog();
  std::string list;
  for (const std::string& name : called) list += " " + name;
  EXPECT_TRUE(called.empty()) << "wide functions called on the 9x path:" << list;
  const std::vector<std::string> log = LogLines(ReadFileBytes(dir + "purgon.log"));
  const std::vector<std::string> expected = ExpectedLog(ReadPelDataFile("pel_expected.log.txt"), places, 12);
  // The ORV removal finds nothing of its client on this machine, but may add its own lines.
  EXPECT_EQ(DiffLines(expected, std::vector<std::string>(log.begin(), log.begin() + std::min(log.size(), expected.size()))), "");
  // The launcher was asked for as well: only its files may be gone beyond what /pel 12 takes.
  for (const std::string& problem : CheckMachine(items, 12))
    if (problem.find("\\QLaunch\\") == std::string::npos) ADD_FAILURE() << problem;
  EXPECT_FALSE(FileExists("C:\\QLaunch\\qlaunch.exe"));
  DeleteTreeForTest(dir);
}

}  // namespace
