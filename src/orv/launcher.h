#pragma once

#include <string>

#include "engine/removal/remover.h"

// Where the launcher is, as its settings name it: the executable's path (empty when there is
// no usable launcher) and its icon file's name (empty when it has none).
struct LauncherLocation {
  std::wstring path;
  std::wstring icon;
};

// Reads the launcher's settings. The run reads them before any removal: the PEL removal
// deletes the key they live in. They are the user's own to write while the program may run
// as administrator, so the launcher is taken only when its path is an absolute path to a
// file "qlaunch.exe" in a folder the folder safety net lets the removal act in, and its icon
// (if any) is one plain file name; otherwise nothing of it is started or deleted.
LauncherLocation FindLauncher(const Remover& remove);

// Unregisters the QLaunch launcher (not in a preview of the run) and deletes its executable
// and icon file. It is started only from where only administrators write (program_start.h);
// otherwise its files still go, and the returned line (for the closing report) says why it
// was not asked to unregister. Empty when it was, or when there was nothing to start.
std::string RemoveLauncher(const Run& run, const LauncherLocation& launcher);
