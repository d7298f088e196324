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

// Sub-key names of an open key, index 0 upwards, up to the first failure.
std::vector<std::string> SubKeyNames(HKEY key) {
  std::vector<std::string> names;
  for (DWORD index = 0;; ++index) {
    char name[kKeyNameBufferSize];
    DWORD length = kKeyNameBufferSize;
    if (RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
      break;
    names.push_back(name);
  }
  return names;
}

// The machine's uninstall list when this user may change it, else the user's own.
void RemoveUninstallEntry(const std::string& entry) {
  RegKey machine;
  const HKEY root = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstall, 0, kKeyReadWrite,
                                  machine.Receive()) == ERROR_SUCCESS
                        ? HKEY_LOCAL_MACHINE
                        : HKEY_CURRENT_USER;
  machine.Reset();
  RegKey uninstall;
  if (RegOpenKeyExA(root, kUninstall, 0, kKeyReadWrite, uninstall.Receive()) != ERROR_SUCCESS)
    return;
  DeleteSubKeyTree(uninstall.get(), entry.c_str());
}

void RemoveOptionalComponentEntry(const std::string& entry) {
  RegKey components;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kOptionalComponents, 0, nullptr, REG_OPTION_NON_VOLATILE,
                      kKeyReadWrite, nullptr, components.Receive(), nullptr) != ERROR_SUCCESS)
    return;
  DeleteSubKeyTree(components.get(), entry.c_str());
}

void RemoveDesktopShortcuts(const std::string& name) {
  for (const char* list : kShortcutLists) {
    RegKey key;
    const std::string path = "Software\\orv\\" + name + list;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, kKeyReadWrite, key.Receive()) !=
        ERROR_SUCCESS)
      continue;
    for (const std::string& shortcut : SubKeyNames(key.get())) {
      if (!IsUsableShortcutName(shortcut)) continue;  // would lead out of the desktop
      std::string desktop;
      if (!GetSpecialFolderPath(CSIDL_DESKTOP, desktop) || desktop.empty()) continue;
      RemoveFile(desktop + shortcut + ".lnk");
    }
  }
}

void RemoveRunValue(HKEY root) {
  RegKey run;
  if (RegOpenKeyExA(root, kRun, 0, kKeyReadWrite, run.Receive()) == ERROR_SUCCESS)
    RegDeleteValueA(run.get(), "orv");
}

void RemoveConfigurationKey(const std::string& name) {
  RegKey configurations;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kConfigurations, 0, kKeyReadWrite,
                    configurations.Receive()) == ERROR_SUCCESS)
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

void RemoveOrvConfiguration(const std::string& name, int32_t optionWord) {
  const std::string entry = "orv_" + name;
  RemoveUninstallEntry(entry);
  RemoveOptionalComponentEntry(entry);
  // The lists are read before the configuration key that holds them goes below.
  if (HasOptions(optionWord, OPT_DESKTOP_SHORTCUTS)) RemoveDesktopShortcuts(name);
  RemoveRunValue(HKEY_LOCAL_MACHINE);
  RemoveRunValue(HKEY_CURRENT_USER);
  RemoveConfigurationKey(name);
}
