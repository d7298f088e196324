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
const DWORD kKeyNameBufferSize = 256;

void RemoveSubKeyOf(HKEY root, const char* keyPath, const std::string& entry) {
  RegKey key;
  if (RegOpenKeyExA(root, keyPath, 0, kKeyReadWrite, key.Receive()) == ERROR_SUCCESS)
    DeleteSubKeyTree(key.get(), entry.c_str());
}

// The machine's uninstall list when this user may change it, else the user's own. Another
// account's configuration may have its entry in either: both are looked at.
void RemoveUninstallEntry(const std::string& entry, const RegistryScope& scope) {
  if (scope.IsOtherAccount()) {
    RemoveSubKeyOf(HKEY_LOCAL_MACHINE, kUninstall, entry);
    RegKey own;
    if (OpenRegKeyIn(scope, HKEY_CURRENT_USER, kUninstall, false, own.Receive()))
      DeleteSubKeyTree(own.get(), entry.c_str());
    return;
  }
  RegKey machine;
  const HKEY root = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstall, 0, kKeyReadWrite,
                                  machine.Receive()) == ERROR_SUCCESS
                        ? HKEY_LOCAL_MACHINE
                        : HKEY_CURRENT_USER;
  machine.Reset();
  RemoveSubKeyOf(root, kUninstall, entry);
}

// Created, empty, when the running account has none; never created in another account's
// registry.
void RemoveOptionalComponentEntry(const std::string& entry, const RegistryScope& scope) {
  RegKey components;
  if (OpenRegKeyIn(scope, HKEY_CURRENT_USER, kOptionalComponents, true, components.Receive()))
    DeleteSubKeyTree(components.get(), entry.c_str());
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
    if (!OpenRegKeyIn(scope, HKEY_CURRENT_USER, "Software\\orv\\" + name + list, false,
                      key.Receive()))
      continue;
    for (const std::string& shortcut : SubKeyNames(key.get())) {
      if (!IsUsableShortcutName(shortcut)) continue;  // would lead out of the desktop
      std::string desktop;
      if (!DesktopOf(scope, desktop)) continue;
      RemoveFile(desktop + shortcut + ".lnk");
    }
  }
}

void RemoveRunValue(HKEY root, const RegistryScope& scope) {
  RegKey run;
  if (OpenRegKeyIn(scope, root, kRun, false, run.Receive())) RegDeleteValueA(run.get(), "orv");
}

void RemoveConfigurationKey(const std::string& name, const RegistryScope& scope) {
  RegKey configurations;
  if (OpenRegKeyIn(scope, HKEY_CURRENT_USER, kConfigurations, false, configurations.Receive()))
    DeleteSubKeyTree(configurations.get(), name.c_str());
}

}  // namespace

LONG DeleteSubKeyTree(HKEY key, const char* name) {
  if (name == nullptr || *name == '\0') return ERROR_INVALID_PARAMETER;
  {
    RegKey sub;
    const LONG opened = RegOpenKeyExA(key, name, 0, kKeyReadWrite, sub.Receive());
    if (opened != ERROR_SUCCESS) return opened;
    for (;;) {
      char child[kKeyNameBufferSize];
      DWORD length = kKeyNameBufferSize;
      if (RegEnumKeyExA(sub.get(), 0, child, &length, nullptr, nullptr, nullptr, nullptr) !=
          ERROR_SUCCESS)
        break;
      const LONG removed = DeleteSubKeyTree(sub.get(), child);
      if (removed != ERROR_SUCCESS) return removed;
    }
  }
  return RegDeleteKeyA(key, name);
}

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
