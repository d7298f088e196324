// A program that loads the system libraries named on its command line, if any, and pauses
// half a second (so that its memory can be read while it runs): its run under Wine is the
// floor of every measured run.
#include <windows.h>

#include <cstring>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int) {
  std::string names = arguments;
  for (char* name = std::strtok(&names[0], " "); name; name = std::strtok(nullptr, " "))
    LoadLibraryA(name);
  Sleep(500);
  return 0;
}
