// Times the tree removals against a bare loop of the same calls and against Windows' own
// tools, in the same prefix and the same run:
//   files:    RemoveDirTree      vs  bare handle loop (open, list, open child, delete)  vs  cmd /c rd /s /q
//   registry: DeleteKeyTree      vs  reg delete /f     vs  bare RegEnumKey/RegDeleteKey loop
// on trees of 20,000 files in 400 folders and 100,000 files in 1,000 folders, and a key tree
// of 20,000 keys. Logging is off, as for the bare loops. Then it times whole runs of the
// program (whole_run.cpp). Run it through bench/run.sh, which gives it a sandboxed Wine prefix.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "engine/core/cleanup_context.h"
#include "engine/core/handles.h"
#include "engine/files/nt_files.h"
#include "engine/registry/registry.h"
#include "engine/removal/policies.h"
#include "engine/removal/remover.h"
#include "engine/text/wide_text.h"
#include "timing.h"
#include "whole_run.h"

namespace {

const char kFileRoot[] = "C:\\purgon-bench\\";
const char kKeyRoot[] = "Software\\PurgonBench";
const int kTopKeys = 100;            // 100 + 100 x 199 = 20,000 keys
const int kKeysPerTop = 199;
const DWORD kSettleMs = 3000;        // after building a tree, before timing its removal

template <typename Work>
double Time(Work work) {
  LARGE_INTEGER from, to;
  QueryPerformanceCounter(&from);
  work();
  QueryPerformanceCounter(&to);
  return Seconds(from, to);
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// A file tree: top folders, each with sub-folders, and the same number of files in every
// folder (the tree's own folder holds only the top folders).
struct TreeShape {
  const char* title;
  int topFolders;
  int foldersPerTop;  // sub-folders of each top folder
  int filesPerFolder;
};
const TreeShape kSmallTree = {"20,000 files in 400 folders", 20, 19, 50};
const TreeShape kLargeTree = {"100,000 files in 1,000 folders", 20, 49, 100};

void MakeFilesIn(const std::string& folder, int files) {
  CreateDirectoryA(folder.c_str(), nullptr);
  for (int f = 0; f < files; ++f) {
    const std::string file = folder + "file" + std::to_string(f) + ".dat";
    HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(h, "data", 4, &written, nullptr);
    CloseHandle(h);
  }
}

void MakeFileTree(const std::string& tree, const TreeShape& shape) {
  CreateDirectoryA(kFileRoot, nullptr);
  CreateDirectoryA(tree.c_str(), nullptr);
  for (int t = 0; t < shape.topFolders; ++t) {
    const std::string top = tree + "top" + std::to_string(t) + "\\";
    MakeFilesIn(top, shape.filesPerFolder);
    for (int s = 0; s < shape.foldersPerTop; ++s)
      MakeFilesIn(top + "sub" + std::to_string(s) + "\\", shape.filesPerFolder);
  }
}

void MakeKeyTree(const std::string& tree) {
  for (int t = 0; t < kTopKeys; ++t) {
    const std::string top = tree + "\\top" + std::to_string(t);
    for (int s = 0; s < kKeysPerTop; ++s) {
      HKEY key = nullptr;
      const std::string sub = top + "\\key" + std::to_string(s);
      RegCreateKeyExA(HKEY_CURRENT_USER, sub.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
      RegCloseKey(key);
    }
  }
}

bool KeyExists(const std::string& subKey) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

// A folder opened to be listed, emptied and then deleted through the same handle.
const OpenMode kFolderToEmpty = {DELETE | FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 EntryKind::Folder, LinkHandling::AsItself};

// The calls RemoveDirTree walks a tree with, and nothing around them: list the open folder
// through its handle, open each entry relative to it by its listed name, enter folders,
// delete through the handle. One open per entry; no checks, no reports.
void BareEmpty(HANDLE folder) {
  std::vector<ListedEntry> entries;
  ListFolder(folder, L"*", entries);
  for (const ListedEntry& entry : entries) {
    const bool enter = entry.IsFolder() && !entry.IsLink();
    OpenMode mode = kEntryToDelete;
    mode.kind = EntryKind::File;
    KernelHandle child;
    if (!NtSucceeded(OpenChild(folder, entry.name, enter ? kFolderToEmpty : mode, child))) continue;
    if (enter) BareEmpty(child.get());
    DeleteOpened(child.get());
  }
}

// The tree's folder is opened by its full path (OpenRoot opens any full path).
void BareRemoveTree(const std::wstring& tree) {
  KernelHandle folder;
  if (!NtSucceeded(OpenRoot(tree, kFolderToEmpty, folder))) return;
  BareEmpty(folder.get());
  DeleteOpened(folder.get());
}

// The same calls as DeleteKeyTree with nothing around them.
void BareDeleteKeyTree(HKEY root, const char* subKey) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, subKey, 0, KEY_READ | KEY_WRITE, &key) != ERROR_SUCCESS) return;
  char name[256];
  while (RegEnumKeyA(key, 0, name, sizeof(name)) == ERROR_SUCCESS) BareDeleteKeyTree(key, name);
  RegCloseKey(key);
  RegDeleteKeyA(root, subKey);
}

// Runs a command line of Windows' own tools and waits for it; its output is thrown away.
void RunTool(std::string commandLine) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                      nullptr, &startup, &process)) {
    std::printf("cannot run: %s\n", commandLine.c_str());
    return;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

std::string SystemTool(const char* name) {
  char folder[MAX_PATH] = {};
  GetSystemDirectoryA(folder, MAX_PATH);
  return std::string(folder) + "\\" + name;
}

struct Contender {
  const char* name;
  double seconds;
};

// Ratios are the other's time over Purgon's (above 1: Purgon is faster); Purgon's time over
// the bare loop's, the measure of what its checks cost, is printed too.
void PrintTable(const char* what, const std::vector<Contender>& results, size_t bare) {
  std::printf("%s:\n", what);
  for (const Contender& c : results)
    std::printf("  %-22s %8.3f s   ratio to Purgon %.2f\n", c.name, c.seconds,
                c.seconds / results[0].seconds);
  std::printf("  Purgon / bare loop: %.3f\n", results[0].seconds / results[bare].seconds);
}

// One contender: a name and the work that removes a tree it is given.
struct Rival {
  const char* name;
  void (*remove)(const std::string& tree);
};

// The bench's one run of the engine: a plain removal that logs nothing, as for the bare loops
// and the tools.
struct BenchRun {
  BenchRun() { context.Use(MakePolicy(ChangeMode::Live, context)); }
  CleanupContext report;
  RunContext context{report};
  Remover remove{context};
};
BenchRun gRun;

void PurgonFiles(const std::string& tree) { gRun.remove.RemoveDirTree(Widen(tree + "\\")); }
void BareFiles(const std::string& tree) {
  BareRemoveTree(std::wstring(tree.begin(), tree.end()));  // the bench's paths are ASCII
}
void RdFiles(const std::string& tree) {
  RunTool(SystemTool("cmd.exe") + " /c rd /s /q \"" + tree + "\"");
}
void PurgonKeys(const std::string& tree) { gRun.remove.DeleteKeyTree(HKEY_CURRENT_USER, Widen(tree)); }
void RegKeys(const std::string& tree) {
  RunTool(SystemTool("reg.exe") + " delete \"HKCU\\" + tree + "\" /f");
}
void BareKeys(const std::string& tree) { BareDeleteKeyTree(HKEY_CURRENT_USER, tree.c_str()); }

const Rival kFileRemovers[] = {
    {"RemoveDirTree", PurgonFiles}, {"bare handle loop", BareFiles}, {"cmd /c rd /s /q", RdFiles}};
const Rival kKeyRemovers[] = {
    {"DeleteKeyTree", PurgonKeys}, {"reg delete /f", RegKeys}, {"bare call loop", BareKeys}};

// Each round gives every contender a freshly built tree, in an order that turns by one every
// round so that none always goes first, and lets the disk settle before timing the removal;
// every time is printed as it comes, and the best time of each contender counts (the machine
// is shared, so the best is the least disturbed).
template <typename Make, typename Gone>
std::vector<Contender> Race(const Rival (&removers)[3], const std::string& tree, int rounds,
                            Make make, Gone gone, bool& allGone) {
  std::vector<Contender> results;
  for (const Rival& r : removers) results.push_back({r.name, 1e9});
  for (int round = 0; round < rounds; ++round) {
    for (int k = 0; k < 3; ++k) {
      const int i = (k + round) % 3;
      make(tree);
      Sleep(kSettleMs);
      const double seconds = Time([&] { removers[i].remove(tree); });
      std::printf("  round %d  %-22s %8.3f s\n", round + 1, removers[i].name, seconds);
      std::fflush(stdout);
      if (seconds < results[i].seconds) results[i].seconds = seconds;
      allGone &= gone(tree);
    }
  }
  return results;
}

std::vector<Contender> FileRace(const TreeShape& shape, int rounds, bool& allGone) {
  std::printf("%s:\n", shape.title);
  std::vector<Contender> results = Race(
      kFileRemovers, std::string(kFileRoot) + "tree", rounds,
      [&](const std::string& tree) { MakeFileTree(tree + "\\", shape); },
      [](const std::string& tree) { return !Exists(tree); }, allGone);
  RemoveDirectoryA(kFileRoot);
  return results;
}

// The system folders RemoveDirTree checks against are gathered once per run, at its first
// call: a small tree is removed first so that no timing includes that.
void WarmUp() {
  const std::string tree = std::string(kFileRoot) + "warm-up";
  MakeFileTree(tree + "\\", {"", 1, 0, 1});
  gRun.remove.RemoveDirTree(Widen(tree + "\\"));
  RemoveDirectoryA(kFileRoot);
}

// One remover alone on the 20,000-file tree, a process for each round: RemoveDirTree from two
// builds, or beside the bare loop, run in turn in the same kind of prefix.
int BenchOneRemover(const Rival& remover, int rounds) {
  WarmUp();
  const std::string tree = std::string(kFileRoot) + "tree";
  double best = 1e9;
  bool gone = true;
  for (int round = 0; round < rounds; ++round) {
    MakeFileTree(tree + "\\", kSmallTree);
    Sleep(kSettleMs);
    const double seconds = Time([&] { remover.remove(tree); });
    std::printf("  round %d  %s, %s  %8.3f s\n", round + 1, remover.name, kSmallTree.title, seconds);
    std::fflush(stdout);
    if (seconds < best) best = seconds;
    gone &= !Exists(tree);
  }
  RemoveDirectoryA(kFileRoot);
  std::printf("best of %d rounds: %.3f s\n", rounds, best);
  if (!gone) std::printf("SOMETHING WAS LEFT: %s did not finish its tree\n", remover.name);
  return gone ? 0 : 1;
}

}  // namespace

// purgon_bench [ROUNDS]           (default 3)
// purgon_bench whole [ROUNDS]     the whole runs only
// purgon_bench files [ROUNDS]     the file races only
// purgon_bench keys [ROUNDS]      the registry race only
// purgon_bench dirtree [ROUNDS]   RemoveDirTree alone on the 20,000-file tree
// purgon_bench bareloop [ROUNDS]  the bare handle loop alone on it
int main(int argc, char** argv) {
  const std::string mode = argc > 1 && (argv[1][0] < '0' || argv[1][0] > '9') ? argv[1] : "";
  const char* roundsArg = mode.empty() ? (argc > 1 ? argv[1] : nullptr) : (argc > 2 ? argv[2] : nullptr);
  const int rounds = roundsArg ? atoi(roundsArg) : 3;
  if (rounds < 1) return 2;
  if (mode == "whole") return BenchWholeRun(rounds) ? 0 : 1;
  if (mode == "dirtree") return BenchOneRemover(kFileRemovers[0], rounds);
  if (mode == "bareloop") return BenchOneRemover(kFileRemovers[1], rounds);
  if (!mode.empty() && mode != "files" && mode != "keys") return 2;
  const bool files = mode != "keys";
  const bool keys = mode != "files";

  bool allGone = true;
  std::vector<Contender> small, large, keyTimes;
  if (files) {
    WarmUp();
    small = FileRace(kSmallTree, rounds, allGone);
    large = FileRace(kLargeTree, rounds, allGone);
  }
  if (keys) {
    std::printf("20,000 registry keys:\n");
    keyTimes = Race(kKeyRemovers, std::string(kKeyRoot) + "\\tree", rounds, MakeKeyTree,
                    [](const std::string& tree) { return !KeyExists(tree); }, allGone);
    RegDeleteKeyA(HKEY_CURRENT_USER, kKeyRoot);
  }

  std::printf("best of %d rounds; each removal on a freshly built tree\n", rounds);
  if (files) {
    PrintTable(kSmallTree.title, small, 1);
    PrintTable(kLargeTree.title, large, 1);
  }
  if (keys) PrintTable("20,000 registry keys", keyTimes, 2);
  if (!allGone) std::printf("SOMETHING WAS LEFT: a removal did not finish its tree\n");
  if (!mode.empty()) return allGone ? 0 : 1;
  const bool wholeRunsWent = BenchWholeRun(rounds);
  return allGone && wholeRunsWent ? 0 : 1;
}
