#include "orv/orv_configuration.h"

#include <shlobj.h>

#include <vector>

#include "engine/run_settings.h"
#include "engine/files.h"
#include "engine/handles.h"
#include "engine/registry.h"
#include "engine/shell.h"
#include "orv/orv_paths.h"

namespace {

const char kUninstall[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char kOptionalComponents[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Setup\\OptionalComponents";
const char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kConfigurations[] = "SOFTWARE\\orv";
const char* const kShortcutLists[] = {"\\uninstall\\shortcuts", "\\shortcuts"};

// The machine's uninstall list when this user may change it, else the user's own. Another
// account's configuration may have its entry in either: both are looked at.
void RemoveUninstallEntry(const std::string& entry, const RegistryScope& scope) {
  const std::string path = std::string(kUninstall) + "\\" + entry;
  if (scope.IsOtherAccount()) {
    DeleteRegKeyTreeQuietly(HKEY_LOCAL_MACHINE, path);
    DeleteRegKeyTreeQuietlyIn(scope, HKEY_CURRENT_USER, path);
    return;
  }
  RegKey machine;
  const HKEY root = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstall, 0, kKeyReadWrite,
                                  machine.Receive()) == ERROR_SUCCESS
                        ? HKEY_LOCAL_MACHINE
                        : HKEY_CURRENT_USER;
  machine.Reset();
  DeleteRegKeyTreeQuietly(root, path);
}

// The list is created empty when missing, as the client's own set-up does; never in another
// account's registry.
void RemoveOptionalComponentEntry(const std::string& entry, const RegistryScope& scope) {
  if (!scope.IsOtherAccount() && !EnsureRegKey(HKEY_CURRENT_USER, kOptionalComponents)) return;
  DeleteRegKeyTreeQuietlyIn(scope, HKEY_CURRENT_USER,
                            std::string(kOptionalComponents) + "\\" + entry);
}

// The running account's desktop, or the other account's own.
bool DesktopOf(const RegistryScope& scope, std::string& desktop) {
  if (scope.IsOtherAccount()) {
    desktop = scope.account().desktop;
    return !desktop.empty();
  }
  return GetSpecialFolderPath(CSIDL_DESKTOP, desktop) && !desktop.empty();
}

void RemoveDesktopShortcuts(const std::string& name, const RegistryScope& scope) {
  for (const char* list : kShortcutLists) {
    RegKey key;
    if (!OpenRegKeyIn(scope, HKEY_CURRENT_USER, "Software\\orv\\" + name + list, key)) continue;
    for (const std::string& shortcut : SubKeyNames(key.get())) {
      if (!IsUsableShortcutName(shortcut)) continue;  // would lead out of the desktop
      std::string desktop;
      if (!DesktopOf(scope, desktop)) continue;
      RemoveFile(desktop + shortcut + ".lnk");
    }
  }
}

void RemoveRunValue(HKEY root, const RegistryScope& scope) {
  DeleteRegValueQuietlyIn(scope, root, kRun, "orv");
}

void RemoveConfigurationKey(const std::string& name, const RegistryScope& scope) {
  DeleteRegKeyTreeQuietlyIn(scope, HKEY_CURRENT_USER, std::string(kConfigurations) + "\\" + name);
}

}  // namespace

void RemoveOrvConfiguration(const std::string& name, int32_t optionWord,
                            const RegistryScope& scope) {
  const std::string entry = "orv_" + name;
  RemoveUninstallEntry(entry, scope);
  RemoveOptionalComponentEntry(entry, scope);
  // The lists are read before the configuration key that holds them goes below.
  if (HasOptions(optionWord, OPT_DESKTOP_SHORTCUTS)) RemoveDesktopShortcuts(name, scope);
  RemoveRunValue(HKEY_LOCAL_MACHINE, scope);  // the running account's pass only
  RemoveRunValue(HKEY_CURRENT_USER, scope);
  RemoveConfigurationKey(name, scope);
}
