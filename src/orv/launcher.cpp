#include "orv/launcher.h"

#include <windows.h>

#include <string>

#include "engine/safety/program_start.h"
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
// most kLauncherExitWaitMs), but only from where only administrators write: its settings are
// the user's own. A launcher that does not start costs no wait. It is started by its full
// path: a bare name would be looked for along the search path too. Returns why it was not
// started; empty when it was, or when there was none.
std::wstring UnregisterLauncher(RunContext& run, const std::wstring& path) {
  CheckedProgram launcher;
  const std::wstring objection = launcher.Check(path, run.files, run.safety);
  if (!objection.empty()) return objection;
  launcher.StartAndWait(L"/unregserver", kLauncherExitWaitMs);
  return std::wstring();
}

// The launcher's folder and icon may be used: the folder is not one of the system's own
// (by spelling and by what it is), the icon is one plain name or none.
bool IsUsableLauncher(SafetyNet& safety, const std::wstring& folder, const std::wstring& icon) {
  return (icon.empty() || IsPlainName(Utf8Of(icon))) && safety.IsFolderSafeToActIn(folder);
}

}  // namespace

LauncherLocation FindLauncher(const Remover& remove) {
  LauncherLocation launcher;
  RegKey key;
  if (!remove.OpenKey(HKEY_CURRENT_USER, L"Software\\Varenta\\qlaunch", KEY_READ, key)) return launcher;
  const std::wstring path = ReadRegString(key.get(), L"path");
  const std::wstring icon = ReadRegString(key.get(), L"icon");
  if (!IsLauncherExecutablePath(Utf8Of(path)) ||
      !IsUsableLauncher(remove.run().safety, WideOfUtf8(FolderOfPath(Utf8Of(path))), icon))
    return launcher;
  launcher.path = path;
  launcher.icon = icon;
  return launcher;
}

std::string RemoveLauncher(const Run& run, const LauncherLocation& launcher) {
  if (launcher.path.empty()) return std::string();
  const std::wstring folder = WideOfUtf8(FolderOfPath(Utf8Of(launcher.path)));
  // A run that changes nothing starts nothing.
  const Remover& remove = run.remove;
  const std::wstring objection =
      remove.policy().ChangesNothing() ? std::wstring() : UnregisterLauncher(remove.run(), launcher.path);
  // The folder ends in a backslash; the icon path keeps the doubled one, as logged.
  if (!launcher.icon.empty()) remove.RemoveFile(folder + L"\\" + launcher.icon);
  remove.RemoveFile(launcher.path);
  return LogText(objection);
}
