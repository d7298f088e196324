// Times the tree removals against Windows' own tools and against a bare loop of the same
// system calls, in the same prefix and the same run:
//   files:    RemoveDirTree      vs  cmd /c rd /s /q   vs  bare FindFirst/GetAttributes/Delete loop
//   registry: DeleteRegKeyTree   vs  reg delete /f     vs  bare RegEnumKey/RegDeleteKey loop
// on a tree of 20,000 files in 400 folders and a key tree of 20,000 keys. Logging is off, as
// for the bare loops. Then it times whole runs of the program (whole_run.cpp). Run it through
// bench/run.sh, which gives it a sandboxed Wine prefix.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "engine/removal/file_removal.h"
#include "engine/registry/registry.h"
#include "engine/removal/registry_removal.h"
#include "timing.h"
#include "whole_run.h"

namespace {

const char kFileRoot[] = "C:\\purgon-bench\\";
const char kKeyRoot[] = "Software\\PurgonBench";
const int kTopFolders = 20;          // 20 x 20 = 400 folders (the tree's own folder apart)
const int kFoldersPerTop = 19;       // plus the top folder itself: 20 folders per top
const int kFilesPerFolder = 50;      // 400 x 50 = 20,000 files
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

void MakeFilesIn(const std::string& folder) {
  CreateDirectoryA(folder.c_str(), nullptr);
  for (int f = 0; f < kFilesPerFolder; ++f) {
    const std::string file = folder + "file" + std::to_string(f) + ".dat";
    HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(h, "data", 4, &written, nullptr);
    CloseHandle(h);
  }
}

// 20 top folders, each with 19 sub-folders; 50 files in each of the 400 folders.
void MakeFileTree(const std::string& tree) {
  CreateDirectoryA(kFileRoot, nullptr);
  CreateDirectoryA(tree.c_str(), nullptr);
  for (int t = 0; t < kTopFolders; ++t) {
    const std::string top = tree + "top" + std::to_string(t) + "\\";
    MakeFilesIn(top);
    for (int s = 0; s < kFoldersPerTop; ++s) MakeFilesIn(top + "sub" + std::to_string(s) + "\\");
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

// The same calls as RemoveDirTree with nothing around them: list, ask the attributes, delete.
void BareRemoveTree(const std::string& folder) {
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA((folder + "*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return;
  std::vector<std::string> names;
  do {
    if (strcmp(entry.cFileName, ".") != 0 && strcmp(entry.cFileName, "..") != 0)
      names.push_back(entry.cFileName);
  } while (FindNextFileA(search, &entry));
  FindClose(search);
  for (const std::string& name : names) {
    const std::string path = folder + name;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
      BareRemoveTree(path + "\\");
    else
      DeleteFileA(path.c_str());
  }
  RemoveDirectoryA(folder.c_str());
}

// The same calls as DeleteRegKeyTree with nothing around them.
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

void PrintTable(const char* what, const std::vector<Contender>& results) {
  std::printf("%s\n", what);
  for (const Contender& c : results)
    std::printf("  %-22s %8.3f s   ratio to Purgon %.2f\n", c.name, c.seconds,
                c.seconds / results[0].seconds);
}

// One contender: a name and the work that removes a tree it is given.
struct Remover {
  const char* name;
  void (*remove)(const std::string& tree);
};

void PurgonFiles(const std::string& tree) { RemoveDirTree(tree + "\\"); }
void RdFiles(const std::string& tree) {
  RunTool(SystemTool("cmd.exe") + " /c rd /s /q \"" + tree + "\"");
}
void BareFiles(const std::string& tree) { BareRemoveTree(tree + "\\"); }
void PurgonKeys(const std::string& tree) { DeleteRegKeyTree(HKEY_CURRENT_USER, tree.c_str()); }
void RegKeys(const std::string& tree) {
  RunTool(SystemTool("reg.exe") + " delete \"HKCU\\" + tree + "\" /f");
}
void BareKeys(const std::string& tree) { BareDeleteKeyTree(HKEY_CURRENT_USER, tree.c_str()); }

const Remover kFileRemovers[] = {
    {"RemoveDirTree", PurgonFiles}, {"cmd /c rd /s /q", RdFiles}, {"bare call loop", BareFiles}};
const Remover kKeyRemovers[] = {
    {"DeleteRegKeyTree", PurgonKeys}, {"reg delete /f", RegKeys}, {"bare call loop", BareKeys}};

// Each round gives every contender a freshly built tree, in an order that turns by one every
// round so that none always goes first, and lets the disk settle before timing the removal;
// the best time of each contender counts (the machine is shared, so the best is the least
// disturbed).
template <typename Make, typename Gone>
std::vector<Contender> Race(const Remover (&removers)[3], const std::string& tree, int rounds,
                            Make make, Gone gone, bool& allGone) {
  std::vector<Contender> results;
  for (const Remover& r : removers) results.push_back({r.name, 1e9});
  for (int round = 0; round < rounds; ++round) {
    for (int k = 0; k < 3; ++k) {
      const int i = (k + round) % 3;
      make(tree);
      Sleep(kSettleMs);
      const double seconds = Time([&] { removers[i].remove(tree); });
      if (seconds < results[i].seconds) results[i].seconds = seconds;
      allGone &= gone(tree);
    }
  }
  return results;
}

}  // namespace

// purgon_bench [ROUNDS]   (default 3)
// purgon_bench whole [ROUNDS]   (the whole runs only)
int main(int argc, char** argv) {
  if (argc > 1 && strcmp(argv[1], "whole") == 0) return BenchWholeRun(argc > 2 ? atoi(argv[2]) : 3) ? 0 : 1;
  const int rounds = argc > 1 ? atoi(argv[1]) : 3;
  if (rounds < 1) return 2;
  bool allGone = true;
  const std::vector<Contender> files = Race(
      kFileRemovers, std::string(kFileRoot) + "tree", rounds,
      [](const std::string& tree) { MakeFileTree(tree + "\\"); },
      [](const std::string& tree) { return !Exists(tree); }, allGone);
  RemoveDirectoryA(kFileRoot);
  const std::vector<Contender> keys = Race(
      kKeyRemovers, std::string(kKeyRoot) + "\\tree", rounds, MakeKeyTree,
      [](const std::string& tree) { return !KeyExists(tree); }, allGone);
  RegDeleteKeyA(HKEY_CURRENT_USER, kKeyRoot);

  std::printf("best of %d rounds; each removal on a freshly built tree\n", rounds);
  PrintTable("20,000 files in 400 folders:", files);
  PrintTable("20,000 registry keys:", keys);
  if (!allGone) std::printf("SOMETHING WAS LEFT: a removal did not finish its tree\n");
  const bool wholeRunsWent = BenchWholeRun(rounds);
  return allGone && wholeRunsWent ? 0 : 1;
}
