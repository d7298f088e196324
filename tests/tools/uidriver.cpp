// uidriver: drives the boxes of a running program from scripts, as a user would.
//   uidriver PROGRAM.EXE|PID wait [TIMEOUT_MS]     print the next box: caption, text, buttons, icon
//   uidriver PROGRAM.EXE|PID press NAME            press the button with that caption
//   uidriver PROGRAM.EXE|PID tick ID               click the check box with that control id
//   uidriver PROGRAM.EXE|PID close                 close the box (as its close button does)
// Exits 0 on success, 1 when no box appeared in time or the control was not found, 2 on bad use.
#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "ui_driver.h"

namespace {

DWORD FindProcess(const char* nameOrId) {
  char* end = nullptr;
  unsigned long id = std::strtoul(nameOrId, &end, 10);
  if (end && *end == '\0' && id) return id;
  DWORD found = 0;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL ok = Process32First(snapshot, &entry); ok; ok = Process32Next(snapshot, &entry))
    if (lstrcmpiA(entry.szExeFile, nameOrId) == 0) found = entry.th32ProcessID;
  CloseHandle(snapshot);
  return found;
}

void Print(const BoxInfo& box) {
  std::printf("caption: %s\n", box.caption.c_str());
  std::printf("text: %s\n", box.text.c_str());
  std::printf("buttons:");
  for (const std::string& b : box.buttons) std::printf(" [%s]", b.c_str());
  std::printf("\nicon: %s\n", IconName(box.icon));
}

// Waits for the process to appear and show a box.
bool NextBox(const char* target, DWORD timeoutMs, BoxInfo& box) {
  const DWORD start = GetTickCount();
  for (;;) {
    DWORD pid = FindProcess(target);
    if (pid && WaitForBox(pid, 100, box)) return true;
    if (GetTickCount() - start >= timeoutMs) return false;
    Sleep(100);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: uidriver PROGRAM.EXE|PID wait|press|tick|close [ARG]\n");
    return 2;
  }
  const std::string verb = argv[2];
  const DWORD timeout = verb == "wait" && argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 10000;
  BoxInfo box;
  if (!NextBox(argv[1], timeout, box)) {
    std::fprintf(stderr, "uidriver: no box\n");
    return 1;
  }
  if (verb == "wait") {
    Print(box);
    return 0;
  }
  if (verb == "press" && argc > 3) return PressButton(box, argv[3]) ? 0 : 1;
  if (verb == "tick" && argc > 3) return ClickControl(box, std::atoi(argv[3])) ? 0 : 1;
  if (verb == "close") {
    CloseBox(box);
    return 0;
  }
  return 2;
}
