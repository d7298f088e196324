// A program that only pauses half a second (so that its memory can be read while it runs):
// its run under Wine is the floor of every measured run.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  Sleep(500);
  return 0;
}
