#include "orv/orv_catalogue.h"

#include <string>
#include <vector>

#include "engine/change_gate.h"
#include "engine/cleanup_context.h"
#include "engine/handles.h"
#include "engine/registry.h"
#include "orv/pending_renames.h"
#include "engine/wide_text.h"

namespace {

const char kCodeStore[] = "SOFTWARE\\Microsoft\\Code Store Database\\Distribution Units\\";
const char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

}  // namespace

// A key tree named by its path, or by the beginning of its path and an identifier.
#define ORV_KEY(root, path) {ORV_DELETE_KEY_TREE, root, path, ORV_ID_NONE, nullptr}
#define ORV_ID_KEY(root, path, id) {ORV_DELETE_KEY_TREE, root, path, id, nullptr}

const OrvCatalogueEntry kOrvCatalogue[] = {
    // Settings and the application id.
    ORV_KEY(HKEY_CURRENT_USER, "Software\\orv"),
    ORV_KEY(HKEY_LOCAL_MACHINE, "Software\\orv"),
    ORV_ID_KEY(HKEY_CLASSES_ROOT, "AppID\\", ORV_ID_APP),
    // The component classes: ProgID, version-dependent ProgID, class key.
    ORV_KEY(HKEY_CLASSES_ROOT, "ORV.UI"),
    ORV_KEY(HKEY_CLASSES_ROOT, "ORV.UI.1"),
    ORV_ID_KEY(HKEY_CLASSES_ROOT, "CLSID\\", ORV_ID_UI),
    ORV_KEY(HKEY_CLASSES_ROOT, "ORV.Host"),
    ORV_KEY(HKEY_CLASSES_ROOT, "ORV.Host.1"),
    ORV_ID_KEY(HKEY_CLASSES_ROOT, "CLSID\\", ORV_ID_HOST),
    ORV_KEY(HKEY_CLASSES_ROOT, "ORV.Frame"),
    ORV_KEY(HKEY_CLASSES_ROOT, "ORV.Frame.1"),
    ORV_ID_KEY(HKEY_CLASSES_ROOT, "CLSID\\", ORV_ID_FRAME),
    ORV_KEY(HKEY_CLASSES_ROOT, "ORV.Api"),
    ORV_KEY(HKEY_CLASSES_ROOT, "ORV.Api.1"),
    ORV_ID_KEY(HKEY_CLASSES_ROOT, "CLSID\\", ORV_ID_API),
    ORV_KEY(HKEY_CLASSES_ROOT, "Orvres.ORVCache"),
    ORV_KEY(HKEY_CLASSES_ROOT, "Orvres.ORVCache.1"),
    ORV_ID_KEY(HKEY_CLASSES_ROOT, "CLSID\\", ORV_ID_CACHE),
    ORV_KEY(HKEY_CLASSES_ROOT, "ORV.Install"),
    ORV_KEY(HKEY_CLASSES_ROOT, "ORV.Install.1"),
    ORV_ID_KEY(HKEY_CLASSES_ROOT, "CLSID\\", ORV_ID_INSTALL),
    ORV_KEY(HKEY_CLASSES_ROOT, "ORV.Collection"),
    ORV_KEY(HKEY_CLASSES_ROOT, "ORV.Collection.1"),
    ORV_ID_KEY(HKEY_CLASSES_ROOT, "CLSID\\", ORV_ID_COLLECTION),
    ORV_KEY(HKEY_CLASSES_ROOT, "ORV.SecureUI"),
    ORV_KEY(HKEY_CLASSES_ROOT, "ORV.SecureUI.1"),
    ORV_ID_KEY(HKEY_CLASSES_ROOT, "CLSID\\", ORV_ID_SECURE_UI),
    ORV_KEY(HKEY_CLASSES_ROOT, "ORV.SecureFrame"),
    ORV_KEY(HKEY_CLASSES_ROOT, "ORV.SecureFrame.1"),
    ORV_ID_KEY(HKEY_CLASSES_ROOT, "CLSID\\", ORV_ID_SECURE_FRAME),
    ORV_KEY(HKEY_CLASSES_ROOT, "ORV.SecureApi"),
    ORV_KEY(HKEY_CLASSES_ROOT, "ORV.SecureApi.1"),
    ORV_ID_KEY(HKEY_CLASSES_ROOT, "CLSID\\", ORV_ID_SECURE_API),
    ORV_KEY(HKEY_CLASSES_ROOT, "ORV.SecureInstall"),
    ORV_KEY(HKEY_CLASSES_ROOT, "ORV.SecureInstall.1"),
    ORV_ID_KEY(HKEY_CLASSES_ROOT, "CLSID\\", ORV_ID_SECURE_INSTALL),
    // Code-download records of the controls ("Orvres.ORVCache" has none).
    ORV_ID_KEY(HKEY_LOCAL_MACHINE, kCodeStore, ORV_ID_UI),
    ORV_ID_KEY(HKEY_LOCAL_MACHINE, kCodeStore, ORV_ID_HOST),
    ORV_ID_KEY(HKEY_LOCAL_MACHINE, kCodeStore, ORV_ID_FRAME),
    ORV_ID_KEY(HKEY_LOCAL_MACHINE, kCodeStore, ORV_ID_API),
    ORV_ID_KEY(HKEY_LOCAL_MACHINE, kCodeStore, ORV_ID_INSTALL),
    ORV_ID_KEY(HKEY_LOCAL_MACHINE, kCodeStore, ORV_ID_COLLECTION),
    ORV_ID_KEY(HKEY_LOCAL_MACHINE, kCodeStore, ORV_ID_SECURE_UI),
    ORV_ID_KEY(HKEY_LOCAL_MACHINE, kCodeStore, ORV_ID_SECURE_FRAME),
    ORV_ID_KEY(HKEY_LOCAL_MACHINE, kCodeStore, ORV_ID_SECURE_API),
    ORV_ID_KEY(HKEY_LOCAL_MACHINE, kCodeStore, ORV_ID_SECURE_INSTALL),
    // Uninstall and optional-component entries.
    ORV_KEY(HKEY_CURRENT_USER, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\orv"),
    ORV_KEY(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\orv"),
    ORV_KEY(HKEY_CURRENT_USER, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Swiftparcel"),
    ORV_KEY(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Swiftparcel"),
    ORV_KEY(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Setup\\OptionalComponents\\orv"),
    // Start-up values, and the client's operations queued for the next start of Windows.
    {ORV_DELETE_VALUES_CONTAINING, HKEY_CURRENT_USER, kRun, ORV_ID_NONE, "orv"},
    {ORV_DELETE_VALUES_CONTAINING, HKEY_LOCAL_MACHINE, kRun, ORV_ID_NONE, "orv"},
    {ORV_REMOVE_PENDING_RENAMES, HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Session Manager",
     ORV_ID_NONE, "PendingFileRenameOperations"},
};

#undef ORV_KEY
#undef ORV_ID_KEY

const size_t kOrvCatalogueSize = sizeof(kOrvCatalogue) / sizeof(kOrvCatalogue[0]);

namespace {

const DWORD kValueNameBufferSize = 1024;

bool ContainsNoCaseWide(const std::wstring& text, const std::wstring& pattern) {
  std::wstring lowText = text, lowPattern = pattern;
  for (wchar_t& c : lowText)
    if (c >= L'A' && c <= L'Z') c = c - L'A' + L'a';
  for (wchar_t& c : lowPattern)
    if (c >= L'A' && c <= L'Z') c = c - L'A' + L'a';
  return lowText.find(lowPattern) != std::wstring::npos;
}

// REG_MULTI_SZ data of a value, read as UTF-16 so that paths in any language are written back
// exactly as they were. False when it is missing or not a queue this program can rewrite.
bool ReadMultiString(HKEY key, const wchar_t* name, std::u16string& data) {
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
  std::vector<uint8_t> buffer(size + sizeof(char16_t));
  if (RegQueryValueExW(key, name, nullptr, &type, buffer.data(), &size) != ERROR_SUCCESS)
    return false;
  return PendingQueueFromValue(type, buffer.data(), size, data);
}

// Takes ORV's operations out of one value, after the change gate let it through; true when
// the value was changed or deleted. A preview or a failed backup has reported it already.
bool RemoveOrvOperations(HKEY root, const std::wstring& subKey, HKEY key, const std::wstring& name) {
  std::u16string data;
  if (!ReadMultiString(key, name.c_str(), data)) return false;  // not a queue this program knows
  const PendingRenamesFilter filtered = FilterOrvRenameOperations(data);
  if (!filtered.changed) return false;
  const ValueChange change = filtered.empty ? ValueChange::Delete : ValueChange::Rewrite;
  if (!MayTakeOperations(root, subKey, key, name, RenameOperationsData(filtered.taken), change))
    return false;
  if (filtered.empty) return RegDeleteValueW(key, name.c_str()) == ERROR_SUCCESS;
  return RegSetValueExW(key, name.c_str(), 0, REG_MULTI_SZ,
                        reinterpret_cast<const BYTE*>(filtered.rest.data()),
                        static_cast<DWORD>(filtered.rest.size() * sizeof(char16_t))) == ERROR_SUCCESS;
}

void RunEntry(const OrvCatalogueEntry& entry, const RegistryScope& scope) {
  RegLocation at;
  if (!scope.Locate(entry.root, Widen(std::string(entry.path) + OrvIdText(entry.id)), at)) return;
  switch (entry.action) {
    case ORV_DELETE_KEY_TREE: DeleteRegKeyTree(at.root, at.path); break;
    case ORV_DELETE_VALUES_CONTAINING:
      DeleteRegValuesContaining(at.root, at.path, Widen(entry.pattern));
      break;
    case ORV_REMOVE_PENDING_RENAMES:
      RemoveOrvPendingRenames(at.root, at.path, Widen(entry.pattern));
      break;
  }
}

}  // namespace

void RemoveOrvPendingRenames(HKEY root, const std::wstring& subKey, const std::wstring& pattern) {
  if (IsRegKeyGone(root, subKey)) return;
  RegKey key;
  if (RegOpenKeyExW(root, subKey.c_str(), 0, kKeyReadWrite, key.Receive()) != ERROR_SUCCESS) return;
  DWORD count = 0;
  if (RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                       nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
    return;
  // From the top down, so that deleting a value never moves one still to be examined.
  for (DWORD index = count; index-- > 0;) {
    wchar_t name[kValueNameBufferSize];
    DWORD length = kValueNameBufferSize;
    const LONG status =
        RegEnumValueW(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_MORE_DATA) continue;  // too long to be ours, and never cut to another name
    if (status != ERROR_SUCCESS) break;
    const std::wstring found(name, length);
    if (!ContainsNoCaseWide(found, pattern)) continue;
    if (RemoveOrvOperations(root, subKey, key.get(), found))
      TheCleanupContext().ReportRegValue(root, LogText(subKey + L" - " + found), true);
  }
}

void RemoveOrvCatalogue(const RegistryScope& scope) {
  for (size_t i = 0; i < kOrvCatalogueSize; ++i) RunEntry(kOrvCatalogue[i], scope);
}
