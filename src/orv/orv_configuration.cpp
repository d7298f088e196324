#include "orv/orv_configuration.h"

#include <shlobj.h>

#include <vector>

#include "engine/core/handles.h"
#include "engine/registry/registry.h"
#include "engine/core/run_settings.h"
#include "engine/system/shell.h"
#include "engine/text/wide_text.h"
#include "orv/orv_paths.h"
#include "engine/registry/known_keys.h"

namespace {

const std::wstring kUninstall = Widen(KEY_UNINSTALL);
const std::wstring kOptionalComponents = Widen(KEY_OPTIONAL_COMPONENTS);
const std::wstring kRun = Widen(KEY_RUN);
const wchar_t kConfigurations[] = L"SOFTWARE\\orv";
const wchar_t* const kShortcutLists[] = {L"\\uninstall\\shortcuts", L"\\shortcuts"};

// The machine's uninstall list when this user may change it, else the user's own. Another
// account's configuration may have its entry in either: both are looked at.
void RemoveUninstallEntry(const Remover& remove, const std::wstring& entry) {
  const std::wstring path = kUninstall + L"\\" + entry;
  if (remove.scope().IsOtherAccount()) {
    remove.ForRunningAccount().DeleteKeyTree(HKEY_LOCAL_MACHINE, path, Reporting::Quiet);
    remove.DeleteKeyTree(HKEY_CURRENT_USER, path, Reporting::Quiet);
    return;
  }
  RegKey machine;
  const HKEY root = OpenKey(HKEY_LOCAL_MACHINE, kUninstall, kKeyReadWrite, machine) == ERROR_SUCCESS
                        ? HKEY_LOCAL_MACHINE
                        : HKEY_CURRENT_USER;
  machine.Reset();
  remove.DeleteKeyTree(root, path, Reporting::Quiet);
}

// The list is created empty when missing, as the client's own set-up does; never in another
// account's registry.
void RemoveOptionalComponentEntry(const Remover& remove, const std::wstring& entry) {
  if (!remove.scope().IsOtherAccount() && !remove.EnsureKey(HKEY_CURRENT_USER, kOptionalComponents)) return;
  remove.DeleteKeyTree(HKEY_CURRENT_USER, kOptionalComponents + L"\\" + entry, Reporting::Quiet);
}

// The running account's desktop, or the other account's own.
bool DesktopOf(const AccountScope& scope, std::wstring& desktop) {
  if (scope.IsOtherAccount()) {
    desktop = scope.account().desktop;
    return !desktop.empty();
  }
  return GetSpecialFolderPath(CSIDL_DESKTOP, desktop) && !desktop.empty();
}

void RemoveDesktopShortcuts(const Remover& remove, const std::wstring& name) {
  for (const wchar_t* list : kShortcutLists) {
    RegKey key;
    if (!remove.OpenKey(HKEY_CURRENT_USER, L"Software\\orv\\" + name + list, kKeyReadWrite, key)) continue;
    for (const std::wstring& shortcut : SubKeyNames(key.get())) {
      // A name is one plain component of the desktop, whatever characters it holds.
      if (!IsUsableShortcutName(Utf8Of(shortcut))) continue;
      std::wstring desktop;
      if (!DesktopOf(remove.scope(), desktop)) continue;
      remove.RemoveFile(desktop + shortcut + L".lnk");
    }
  }
}

void RemoveRunValue(const Remover& remove, HKEY root) { remove.DeleteValue(root, kRun, L"orv", Reporting::Quiet); }

void RemoveConfigurationKey(const Remover& remove, const std::wstring& name) {
  remove.DeleteKeyTree(HKEY_CURRENT_USER, std::wstring(kConfigurations) + L"\\" + name, Reporting::Quiet);
}

}  // namespace

void RemoveOrvConfiguration(const Remover& remove, const std::wstring& name, int32_t optionWord) {
  const std::wstring entry = L"orv_" + name;
  RemoveUninstallEntry(remove, entry);
  RemoveOptionalComponentEntry(remove, entry);
  // The lists are read before the configuration key that holds them goes below.
  if (HasOptions(optionWord, OPT_DESKTOP_SHORTCUTS)) RemoveDesktopShortcuts(remove, name);
  RemoveRunValue(remove, HKEY_LOCAL_MACHINE);  // the running account's pass only
  RemoveRunValue(remove, HKEY_CURRENT_USER);
  RemoveConfigurationKey(remove, name);
}
