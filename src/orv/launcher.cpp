#include "orv/launcher.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "engine/removal/change_gate.h"
#include "engine/removal/file_removal.h"
#include "engine/removal/registry_removal.h"
#include "engine/safety/protected_folders.h"
#include "engine/core/handles.h"
#include "engine/rules/path_names.h"
#include "engine/registry/registry.h"
#include "engine/text/wide_text.h"
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
void UnregisterLauncher(const std::wstring& path, const std::wstring& folder) {
  if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return;
  SHELLEXECUTEINFOW start = {};
  start.cbSize = sizeof(start);
  start.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  start.lpVerb = L"open";
  start.lpFile = path.c_str();
  start.lpParameters = L"/unregserver";
  start.lpDirectory = folder.c_str();
  start.nShow = SW_SHOWNORMAL;
  if (!ShellExecuteExW(&start)) return;
  const KernelHandle process(start.hProcess);
  if (process) WaitForSingleObject(process.get(), kLauncherExitWaitMs);
}

// The launcher's folder and icon may be used: the folder is not one of the system's own
// (by spelling and by what it is), the icon is one plain name or none.
bool IsUsableLauncher(const std::wstring& folder, const std::wstring& icon) {
  return (icon.empty() || IsPlainName(Utf8Of(icon))) && IsFolderSafeToActIn(folder);
}

}  // namespace

LauncherLocation FindLauncher() {
  LauncherLocation launcher;
  RegKey key;
  if (!OpenRegKey(HKEY_CURRENT_USER, "Software\\Varenta\\qlaunch", KEY_READ, key)) return launcher;
  const std::wstring path = ReadRegString(key.get(), L"path");
  const std::wstring icon = ReadRegString(key.get(), L"icon");
  if (!IsLauncherExecutablePath(Utf8Of(path)) ||
      !IsUsableLauncher(WideOfUtf8(FolderOfPath(Utf8Of(path))), icon))
    return launcher;
  launcher.path = path;
  launcher.icon = icon;
  return launcher;
}

void RemoveLauncher(const Run& run, const LauncherLocation& launcher) {
  if (launcher.path.empty()) return;
  const std::wstring folder = WideOfUtf8(FolderOfPath(Utf8Of(launcher.path)));
  if (!run.settings.preview) UnregisterLauncher(launcher.path, folder);  // a preview starts nothing
  // The folder ends in a backslash; the icon path keeps the doubled one, as logged.
  if (!launcher.icon.empty()) RemoveFile(folder + L"\\" + launcher.icon);
  RemoveFile(launcher.path);
}
