#include "orv/launcher.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "engine/change_gate.h"
#include "engine/files.h"
#include "engine/handles.h"
#include "engine/path_names.h"
#include "engine/registry.h"
#include "orv/orv_paths.h"

namespace {

const DWORD kUnregisterPauseMs = 1000;  // the launcher's whole time to unregister and exit

}  // namespace

void RemoveLauncher() {
  RegKey key;
  // In a preview that removes the PEL client first, the key counts as gone with its parent.
  if (!OpenRegKey(HKEY_CURRENT_USER, "Software\\Varenta\\qlaunch", KEY_READ, key)) return;
  const std::string path = ReadRegString(key.get(), "path");
  const std::string icon = ReadRegString(key.get(), "icon");
  // The values come from the user's registry while the program may run as administrator:
  // only a launcher executable named by an absolute path is started and deleted.
  if (!IsLauncherExecutablePath(path)) return;
  const std::string folder = FolderOfPath(path);
  if (!IsPreview()) {  // a preview starts nothing
    ShellExecuteA(nullptr, "open", "qlaunch.exe", "/unregserver", folder.c_str(), SW_SHOWNORMAL);
    Sleep(kUnregisterPauseMs);
  }
  // The folder ends in a backslash; the icon path keeps the doubled one, as logged.
  if (IsPlainName(icon)) RemoveFile(folder + "\\" + icon);
  RemoveFile(path);
}
