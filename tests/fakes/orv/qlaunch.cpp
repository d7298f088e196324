// A stand-in for the QLaunch launcher. Started with "/unregserver", it appends its arguments
// and working directory to %TEMP%\qlaunch_record.txt and exits at once. Built with
// QLAUNCH_HOLD_MS (qlaunch_slow.exe), it then keeps its own executable open, without
// delete sharing, for that long before it exits, so that deleting it fails meanwhile.
#include <windows.h>

#include <cstdio>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int) {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  char directory[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, directory);
  if (FILE* file = std::fopen((std::string(temp) + "qlaunch_record.txt").c_str(), "ab")) {
    std::fprintf(file, "%s|%s\n", arguments, directory);
    std::fclose(file);
  }
#ifdef QLAUNCH_HOLD_MS
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  HANDLE held = CreateFileA(self, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  Sleep(QLAUNCH_HOLD_MS);
  if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
#endif
  return 0;
}
