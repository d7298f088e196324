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
  DeleteRegKeyTreeQuietly(root, std::string(kUninstall) + "\\" + entry);
}

// The list is created empty when missing, as the client's own set-up does.
void RemoveOptionalComponentEntry(const std::string& entry) {
  if (!EnsureRegKey(HKEY_CURRENT_USER, kOptionalComponents)) return;
  DeleteRegKeyTreeQuietly(HKEY_CURRENT_USER, std::string(kOptionalComponents) + "\\" + entry);
}

void RemoveDesktopShortcuts(const std::string& name) {
  for (const char* list : kShortcutLists) {
    RegKey key;
    const std::string path = "Software\\orv\\" + name + list;
    if (!OpenRegKey(HKEY_CURRENT_USER, path.c_str(), kKeyReadWrite, key)) continue;
    for (const std::string& shortcut : SubKeyNames(key.get())) {
      if (!IsUsableShortcutName(shortcut)) continue;  // would lead out of the desktop
      std::string desktop;
      if (!GetSpecialFolderPath(CSIDL_DESKTOP, desktop) || desktop.empty()) continue;
      RemoveFile(desktop + shortcut + ".lnk");
    }
  }
}

void RemoveRunValue(HKEY root) { DeleteRegValueQuietly(root, kRun, "orv"); }

void RemoveConfigurationKey(const std::string& name) {
  DeleteRegKeyTreeQuietly(HKEY_CURRENT_USER, std::string(kConfigurations) + "\\" + name);
}

}  // namespace

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
