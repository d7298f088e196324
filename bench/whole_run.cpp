// Times what a user waits for: a whole run of purgon.exe /pel /orv /ql /s, started as its own
// process, on three machines: an empty one, one with both clients and the launcher installed
// (the tests' installations), and the same with a content store of 100,000 files in 1,000
// folders (the first two best of the rounds, each on a fresh installation; the last once).
// For each: the wall time from the start of the process to its end, the part of it
// the program spends in its fixed waits, the rest, and the peak working
// set, read by GetProcessMemoryInfo from the ended process before its handle is closed and,
// because Wine's counters of an ended process read 0, also while it runs.
#include "whole_run.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "engine/core/handles.h"
#include "orv_machine.h"
#include "pel_machine.h"
#include "test_support.h"
#include "timing.h"

namespace {

const char kArguments[] = "/pel /orv /ql /s";
// The system libraries purgon.exe imports (kernel32 apart, which every program has).
const char kPurgonLibraries[] = "advapi32.dll msvcrt.dll ole32.dll oleaut32.dll shell32.dll user32.dll version.dll";
const int kStoreFolders = 1000;
const int kStoreFilesPerFolder = 100;
const DWORD kSettleMs = 3000;  // after installing, before the run
const DWORD kMemoryReadingMs = 100;

// The program's fixed waits in this run: the pause before it ends (1 s) and one check of each
// of the two host items, each followed by its pause of 1 s (no host runs). The launcher is
// not started: it lies in the PEL client's program folder, removed first; the bench
// checks that it was not.
const double kFixedWaitSeconds = 1.0 + 2 * 1.0;

struct RunFigures {
  bool ran = false;
  DWORD exitCode = 0;
  double wallSeconds = 0;
  SIZE_T peakWorkingSet = 0;
};

// Runs `program` (in the programs' folder) with `arguments` in `workDir` and measures it.
RunFigures RunMeasured(const char* program, const std::string& arguments, const std::string& workDir) {
  RunFigures figures;
  std::string commandLine = "\"" + BinDir() + program + "\" " + arguments;
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started = {};
  LARGE_INTEGER from, to;
  QueryPerformanceCounter(&from);
  if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, workDir.c_str(),
                      &startup, &started))
    return figures;
  const KernelHandle process(started.hProcess);
  const KernelHandle thread(started.hThread);
  PROCESS_MEMORY_COUNTERS memory = {};
  memory.cb = sizeof(memory);
  // The peak only grows: the last reading while the process runs holds its peak but for the
  // last tenth of a second, which is spent in the fixed pause before the end.
  while (WaitForSingleObject(process.get(), kMemoryReadingMs) == WAIT_TIMEOUT)
    if (GetProcessMemoryInfo(process.get(), &memory, sizeof(memory)))
      figures.peakWorkingSet = std::max(figures.peakWorkingSet, memory.PeakWorkingSetSize);
  QueryPerformanceCounter(&to);
  figures.ran = true;
  figures.wallSeconds = Seconds(from, to);
  GetExitCodeProcess(process.get(), &figures.exitCode);
  if (GetProcessMemoryInfo(process.get(), &memory, sizeof(memory)))
    figures.peakWorkingSet = std::max(figures.peakWorkingSet, memory.PeakWorkingSetSize);
  return figures;
}

bool InstallClients(std::string& problems) {
  OrvMachineSetup orv;
  orv.secureApi = true;
  std::string error;
  const bool pel = InstallPelMachine(false, problems);
  if (!InstallOrvMachine(orv, BinDir(), error)) problems += error + "\n";
  return pel && error.empty();
}

std::string StoreFolder() { return ExpandOrvTokens("<APPDATA>Varenta\\ConfA\\thumbnails\\store\\"); }

bool MakeLargeStore() {
  const std::string store = StoreFolder();
  if (!MakeDirs(store)) return false;
  for (int folder = 0; folder < kStoreFolders; ++folder) {
    const std::string path = store + "f" + std::to_string(folder) + "\\";
    if (!CreateDirectoryA(path.c_str(), nullptr)) return false;
    for (int file = 0; file < kStoreFilesPerFolder; ++file)
      if (!WriteFileBytes(path + "t" + std::to_string(file) + ".jpg", "jpg")) return false;
  }
  return true;
}

void Print(const char* machine, const RunFigures& f, double fixedWaitSeconds = kFixedWaitSeconds) {
  if (!f.ran) {
    std::printf("  %-34s did not start\n", machine);
    return;
  }
  std::printf("  %-34s %7.2f s %7.2f s %7.2f s %8.1f MB\n", machine, f.wallSeconds, fixedWaitSeconds,
              f.wallSeconds - fixedWaitSeconds, double(f.peakWorkingSet) / (1024.0 * 1024.0));
}

}  // namespace

// The quickest of `rounds` runs, each after `prepare`.
template <typename Prepare>
RunFigures BestRun(int rounds, const std::string& work, Prepare prepare) {
  RunFigures best;
  for (int round = 0; round < rounds; ++round) {
    prepare();
    Sleep(kSettleMs);
    const RunFigures figures = RunMeasured("purgon.exe", kArguments, work);
    if (!best.ran || (figures.ran && figures.wallSeconds < best.wallSeconds)) best = figures;
  }
  return best;
}

bool BenchWholeRun(int rounds) {
  const std::string work = MakeScratchDir("whole-run");
  bool ok = true;
  std::printf("whole run: purgon.exe %s, as its own process\n", kArguments);
  std::printf("  %-34s %9s %9s %9s %11s\n", "run", "wall", "waits", "rest", "peak memory");

  // Wine's own share: a program that only pauses costs a process start and the memory of
  // Wine's libraries, which every run below pays too.
  Print("a program that only pauses 0.5 s", RunMeasured("bench_idle.exe", "", work), 0.5);
  Print("the same, loading purgon's DLLs", RunMeasured("bench_idle.exe", kPurgonLibraries, work), 0.5);
  const RunFigures empty = BestRun(rounds, work, [] {});
  Print("empty machine", empty);

  std::string problems;
  const RunFigures installed = BestRun(rounds, work, [&] { ok &= InstallClients(problems); });
  Print("both clients and the launcher", installed);

  ok &= InstallClients(problems);
  ok &= MakeLargeStore();
  Sleep(kSettleMs);
  const RunFigures large = RunMeasured("purgon.exe", kArguments, work);
  Print("the same, store of 100,000 files", large);
  const bool storeGone = GetFileAttributesA(StoreFolder().c_str()) == INVALID_FILE_ATTRIBUTES;
  const bool launcherStarted = GetFileAttributesA(LauncherRecordPath().c_str()) != INVALID_FILE_ATTRIBUTES;

  std::printf("  waits: the program's fixed pauses (1 s before it ends, 1 s after each of the two host"
              " checks); rest: everything else, Wine's process start included\n");
  if (!problems.empty()) std::printf("INSTALLATION INCOMPLETE:\n%s", problems.c_str());
  if (!storeGone) std::printf("SOMETHING WAS LEFT: the content store is still there\n");
  if (launcherStarted) std::printf("THE LAUNCHER WAS STARTED: its wait is in the rest\n");
  if (empty.exitCode != 0 || installed.exitCode != 0 || large.exitCode != 0) std::printf("A RUN ENDED WITH A NON-ZERO EXIT CODE\n");
  UninstallOrvMachine();
  DeleteTreeForTest(work);
  return ok && storeGone && !launcherStarted && empty.ran && installed.ran && large.ran &&
         empty.exitCode == 0 && installed.exitCode == 0 && large.exitCode == 0;
}
