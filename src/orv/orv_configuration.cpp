#include "orv/orv_configuration.h"

#include <shlobj.h>

#include <vector>

#include "engine/removal/file_removal.h"
#include "engine/core/handles.h"
#include "engine/registry/registry.h"
#include "engine/core/run_settings.h"
#include "engine/removal/registry_removal.h"
#include "engine/system/shell.h"
#include "engine/text/wide_text.h"
#include "orv/orv_paths.h"

namespace {

const wchar_t kUninstall[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const wchar_t kOptionalComponents[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Setup\\OptionalComponents";
const wchar_t kRun[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kConfigurations[] = L"SOFTWARE\\orv";
const wchar_t* const kShortcutLists[] = {L"\\uninstall\\shortcuts", L"\\shortcuts"};

// The machine's uninstall list when this user may change it, else the user's own. Another
// account's configuration may have its entry in either: both are looked at.
void RemoveUninstallEntry(const std::wstring& entry, const AccountScope& scope) {
  const std::wstring path = std::wstring(kUninstall) + L"\\" + entry;
  if (scope.IsOtherAccount()) {
    DeleteRegKeyTreeQuietly(HKEY_LOCAL_MACHINE, path);
    DeleteRegKeyTreeQuietlyIn(scope, HKEY_CURRENT_USER, path);
    return;
  }
  RegKey machine;
  const HKEY root = OpenKey(HKEY_LOCAL_MACHINE, kUninstall, kKeyReadWrite, machine) == ERROR_SUCCESS
                        ? HKEY_LOCAL_MACHINE
                        : HKEY_CURRENT_USER;
  machine.Reset();
  DeleteRegKeyTreeQuietly(root, path);
}

// The list is created empty when missing, as the client's own set-up does; never in another
// account's registry.
void RemoveOptionalComponentEntry(const std::wstring& entry, const AccountScope& scope) {
  if (!scope.IsOtherAccount() && !EnsureRegKey(HKEY_CURRENT_USER, std::wstring(kOptionalComponents)))
    return;
  DeleteRegKeyTreeQuietlyIn(scope, HKEY_CURRENT_USER,
                            std::wstring(kOptionalComponents) + L"\\" + entry);
}

// The running account's desktop, or the other account's own.
bool DesktopOf(const AccountScope& scope, std::wstring& desktop) {
  if (scope.IsOtherAccount()) {
    desktop = scope.account().desktop;
    return !desktop.empty();
  }
  return GetSpecialFolderPath(CSIDL_DESKTOP, desktop) && !desktop.empty();
}

void RemoveDesktopShortcuts(const std::wstring& name, const AccountScope& scope) {
  for (const wchar_t* list : kShortcutLists) {
    RegKey key;
    if (!OpenRegKeyIn(scope, HKEY_CURRENT_USER, L"Software\\orv\\" + name + list, key)) continue;
    for (const std::wstring& shortcut : SubKeyNames(key.get())) {
      // A name is one plain component of the desktop, whatever characters it holds.
      if (!IsUsableShortcutName(Utf8Of(shortcut))) continue;
      std::wstring desktop;
      if (!DesktopOf(scope, desktop)) continue;
      RemoveFile(desktop + shortcut + L".lnk");
    }
  }
}

void RemoveRunValue(HKEY root, const AccountScope& scope) {
  DeleteRegValueQuietlyIn(scope, root, kRun, L"orv");
}

void RemoveConfigurationKey(const std::wstring& name, const AccountScope& scope) {
  DeleteRegKeyTreeQuietlyIn(scope, HKEY_CURRENT_USER, std::wstring(kConfigurations) + L"\\" + name);
}

}  // namespace

void RemoveOrvConfiguration(const std::wstring& name, int32_t optionWord,
                            const AccountScope& scope) {
  const std::wstring entry = L"orv_" + name;
  RemoveUninstallEntry(entry, scope);
  RemoveOptionalComponentEntry(entry, scope);
  // The lists are read before the configuration key that holds them goes below.
  if (HasOptions(optionWord, OPT_DESKTOP_SHORTCUTS)) RemoveDesktopShortcuts(name, scope);
  RemoveRunValue(HKEY_LOCAL_MACHINE, scope);  // the running account's pass only
  RemoveRunValue(HKEY_CURRENT_USER, scope);
  RemoveConfigurationKey(name, scope);
}
