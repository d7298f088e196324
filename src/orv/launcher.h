#pragma once

#include <string>

// Where the launcher is, as its settings name it: the executable's path (empty when there is
// no usable launcher) and its icon file's name.
struct LauncherLocation {
  std::string path;
  std::string icon;
};

// Reads the launcher's settings. The run reads them before any removal: the PEL removal
// deletes the key they live in.
LauncherLocation FindLauncher();

// Unregisters the QLaunch launcher and deletes its executable and icon file.
void RemoveLauncher(const LauncherLocation& launcher);
