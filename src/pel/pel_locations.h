#pragma once
// What the PEL removal finds before it removes anything; built once per run, read-only
// afterwards. Folders end in a backslash when not empty. Texts are UTF-8: names from the
// registry and paths of the shell keep every character, and are turned back into UTF-16
// exactly where the removal acts on them.
#include <string>
#include <vector>

struct PelLocations {
  std::vector<std::string> skins;       // sub-keys of the skins key, in enumeration order
  std::string binFolder;                // the first skin's "dir": the client's ...\bin\ folder
  bool isWin9x = false;                 // the Windows 9x family: per-user Programs and desktop
  std::string programFiles;             // the Program Files folder
  std::string appData;                  // the current user's application-data folder
  std::string programs;                 // the start-menu Programs folder searched
  std::string desktop;                  // the desktop searched for shortcuts
  std::vector<std::string> dataRoots;   // application-data folders whose "Varenta\" is searched
};
