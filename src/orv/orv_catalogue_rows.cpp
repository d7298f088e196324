#include "orv/orv_catalogue.h"

#include "orv/orv_ids.h"
#include "engine/registry/known_keys.h"

namespace {

const char kCodeStore[] = "SOFTWARE\\Microsoft\\Code Store Database\\Distribution Units\\";
const char kRun[] = KEY_RUN;
const CatalogueRoot HKCR = CatalogueRoot::ClassesRoot;
const CatalogueRoot HKCU = CatalogueRoot::CurrentUser;
const CatalogueRoot HKLM = CatalogueRoot::LocalMachine;
const CatalogueAction TREE = CatalogueAction::DeleteKeyTree;
const CatalogueAction VALUES = CatalogueAction::DeleteValuesContaining;
const CatalogueAction QUEUE = CatalogueAction::TakeQueueOperations;

const CatalogueRow kRows[] = {
    // Settings and the application id.
    {TREE, HKCU, "Software\\orv", kNoIdentifier, nullptr},
    {TREE, HKLM, "Software\\orv", kNoIdentifier, nullptr},
    {TREE, HKCR, "AppID\\", ORV_ID_APP, nullptr},
    // The component classes: ProgID, version-dependent ProgID, class key.
    {TREE, HKCR, "ORV.UI", kNoIdentifier, nullptr},
    {TREE, HKCR, "ORV.UI.1", kNoIdentifier, nullptr},
    {TREE, HKCR, "CLSID\\", ORV_ID_UI, nullptr},
    {TREE, HKCR, "ORV.Host", kNoIdentifier, nullptr},
    {TREE, HKCR, "ORV.Host.1", kNoIdentifier, nullptr},
    {TREE, HKCR, "CLSID\\", ORV_ID_HOST, nullptr},
    {TREE, HKCR, "ORV.Frame", kNoIdentifier, nullptr},
    {TREE, HKCR, "ORV.Frame.1", kNoIdentifier, nullptr},
    {TREE, HKCR, "CLSID\\", ORV_ID_FRAME, nullptr},
    {TREE, HKCR, "ORV.Api", kNoIdentifier, nullptr},
    {TREE, HKCR, "ORV.Api.1", kNoIdentifier, nullptr},
    {TREE, HKCR, "CLSID\\", ORV_ID_API, nullptr},
    {TREE, HKCR, "Orvres.ORVCache", kNoIdentifier, nullptr},
    {TREE, HKCR, "Orvres.ORVCache.1", kNoIdentifier, nullptr},
    {TREE, HKCR, "CLSID\\", ORV_ID_CACHE, nullptr},
    {TREE, HKCR, "ORV.Install", kNoIdentifier, nullptr},
    {TREE, HKCR, "ORV.Install.1", kNoIdentifier, nullptr},
    {TREE, HKCR, "CLSID\\", ORV_ID_INSTALL, nullptr},
    {TREE, HKCR, "ORV.Collection", kNoIdentifier, nullptr},
    {TREE, HKCR, "ORV.Collection.1", kNoIdentifier, nullptr},
    {TREE, HKCR, "CLSID\\", ORV_ID_COLLECTION, nullptr},
    {TREE, HKCR, "ORV.SecureUI", kNoIdentifier, nullptr},
    {TREE, HKCR, "ORV.SecureUI.1", kNoIdentifier, nullptr},
    {TREE, HKCR, "CLSID\\", ORV_ID_SECURE_UI, nullptr},
    {TREE, HKCR, "ORV.SecureFrame", kNoIdentifier, nullptr},
    {TREE, HKCR, "ORV.SecureFrame.1", kNoIdentifier, nullptr},
    {TREE, HKCR, "CLSID\\", ORV_ID_SECURE_FRAME, nullptr},
    {TREE, HKCR, "ORV.SecureApi", kNoIdentifier, nullptr},
    {TREE, HKCR, "ORV.SecureApi.1", kNoIdentifier, nullptr},
    {TREE, HKCR, "CLSID\\", ORV_ID_SECURE_API, nullptr},
    {TREE, HKCR, "ORV.SecureInstall", kNoIdentifier, nullptr},
    {TREE, HKCR, "ORV.SecureInstall.1", kNoIdentifier, nullptr},
    {TREE, HKCR, "CLSID\\", ORV_ID_SECURE_INSTALL, nullptr},
    // Code-download records of the controls ("Orvres.ORVCache" has none).
    {TREE, HKLM, kCodeStore, ORV_ID_UI, nullptr},
    {TREE, HKLM, kCodeStore, ORV_ID_HOST, nullptr},
    {TREE, HKLM, kCodeStore, ORV_ID_FRAME, nullptr},
    {TREE, HKLM, kCodeStore, ORV_ID_API, nullptr},
    {TREE, HKLM, kCodeStore, ORV_ID_INSTALL, nullptr},
    {TREE, HKLM, kCodeStore, ORV_ID_COLLECTION, nullptr},
    {TREE, HKLM, kCodeStore, ORV_ID_SECURE_UI, nullptr},
    {TREE, HKLM, kCodeStore, ORV_ID_SECURE_FRAME, nullptr},
    {TREE, HKLM, kCodeStore, ORV_ID_SECURE_API, nullptr},
    {TREE, HKLM, kCodeStore, ORV_ID_SECURE_INSTALL, nullptr},
    // Uninstall and optional-component entries.
    {TREE, HKCU, KEY_UNINSTALL "\\orv", kNoIdentifier, nullptr},
    {TREE, HKLM, KEY_UNINSTALL "\\orv", kNoIdentifier, nullptr},
    {TREE, HKCU, KEY_UNINSTALL "\\Swiftparcel", kNoIdentifier, nullptr},
    {TREE, HKLM, KEY_UNINSTALL "\\Swiftparcel", kNoIdentifier, nullptr},
    {TREE, HKLM, KEY_OPTIONAL_COMPONENTS "\\orv", kNoIdentifier, nullptr},
    // Start-up values, and the client's operations queued for the next start of Windows.
    {VALUES, HKCU, kRun, kNoIdentifier, "orv"},
    {VALUES, HKLM, kRun, kNoIdentifier, "orv"},
    {QUEUE, HKLM, KEY_SESSION_MANAGER, kNoIdentifier, VALUE_PENDING_RENAMES},
};

const char* OrvIdentifier(int slot) { return OrvIdText(static_cast<OrvId>(slot)); }

}  // namespace

// The client's own operations in the queue of file operations are those with a folder or
// file whose name begins with "orv".
const Catalogue kOrvCatalogue = {kRows, sizeof(kRows) / sizeof(kRows[0]), OrvIdentifier, "orv"};
