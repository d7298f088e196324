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

// The launcher's time to unregister and exit. A cold start alone can take a second on a busy
// PC; a launcher still running after this keeps its executable, which is then listed.
const DWORD kLauncherExitWaitMs = 30000;

// Starts "qlaunch.exe /unregserver" in the launcher folder and waits until it has ended (at
// most kLauncherExitWaitMs). A launcher that does not start costs no wait. It is started by
// its full path, and only when it is there: a bare name would be looked for along the search
// path too (the program's own folder, the current directory), and an elevated run would start
// whatever "qlaunch.exe" was planted there.
void UnregisterLauncher(const std::string& path, const std::string& folder) {
  if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) return;
  SHELLEXECUTEINFOA start = {};
  start.cbSize = sizeof(start);
  start.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  start.lpVerb = "open";
  start.lpFile = path.c_str();
  start.lpParameters = "/unregserver";
  start.lpDirectory = folder.c_str();
  start.nShow = SW_SHOWNORMAL;
  if (!ShellExecuteExA(&start)) return;
  const KernelHandle process(start.hProcess);
  if (process) WaitForSingleObject(process.get(), kLauncherExitWaitMs);
}

}  // namespace

LauncherLocation FindLauncher() {
  LauncherLocation launcher;
  RegKey key;
  if (!OpenRegKey(HKEY_CURRENT_USER, "Software\\Varenta\\qlaunch", KEY_READ, key)) return launcher;
  const std::string path = ReadRegString(key.get(), "path");
  // The values come from the user's registry while the program may run as administrator:
  // only a launcher executable named by an absolute path is started and deleted.
  if (!IsLauncherExecutablePath(path)) return launcher;
  launcher.path = path;
  launcher.icon = ReadRegString(key.get(), "icon");
  return launcher;
}

void RemoveLauncher(const LauncherLocation& launcher) {
  if (launcher.path.empty()) return;
  const std::string folder = FolderOfPath(launcher.path);
  if (!IsPreview()) UnregisterLauncher(launcher.path, folder);  // a preview starts nothing
  // The folder ends in a backslash; the icon path keeps the doubled one, as logged.
  if (IsPlainName(launcher.icon)) RemoveFile(folder + "\\" + launcher.icon);
  RemoveFile(launcher.path);
}
