#include "pel/pel_catalogue.h"
#include "engine/registry/known_keys.h"

namespace {

const char kBrowserHelpers[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects\\";
const char kMenuEntry[] = "Software\\Microsoft\\Internet Explorer\\MenuExt\\Get It With Varenta";
const char kMimeType[] = "MIME\\Database\\Content Type\\application/vnd.varenta.qpg";
const char kAppPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\varenta.exe";
const char kAppPath2[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\varenta2.exe";
const char kSharedDlls[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
const char kUninstall[] = KEY_UNINSTALL "\\";
const char kMachineClsid[] = "SOFTWARE\\Classes\\CLSID\\";
const char kMachineInterface[] = "SOFTWARE\\Classes\\Interface\\";
const char kMachineTypeLib[] = "SOFTWARE\\Classes\\TypeLib\\";

const CatalogueAction TREE = CatalogueAction::DeleteKeyTree;
const CatalogueAction VALUES = CatalogueAction::DeleteValuesContaining;
const CatalogueRoot PEL_HKCR = CatalogueRoot::ClassesRoot;
const CatalogueRoot PEL_HKCU = CatalogueRoot::CurrentUser;
const CatalogueRoot PEL_HKLM = CatalogueRoot::LocalMachine;

const char* PelIdentifier(int slot) { return PelId(static_cast<PelIdSlot>(slot)); }

}  // namespace

// Browser helper object and menu entry, settings, COM registrations through the merged
// classes, file and MIME types, application paths, then the machine-wide classes, the
// shared-DLL counters and the client's own uninstall entry. Entries are numbered.
const CatalogueRow kPelCatalogueRows[kPelCatalogueSize] = {
    {TREE, PEL_HKLM, kBrowserHelpers, PEL_C1, nullptr},  // 1
    {TREE, PEL_HKCR, "CLSID\\", PEL_C1, nullptr},  // 2
    {TREE, PEL_HKCR, "CLSID\\", PEL_C2, nullptr},  // 3
    {TREE, PEL_HKCR, "CLSID\\", PEL_C3, nullptr},  // 4
    {TREE, PEL_HKCU, kMenuEntry, kNoIdentifier, nullptr},  // 5
    {TREE, PEL_HKLM, "Software\\Varenta", kNoIdentifier, nullptr},  // 6
    {TREE, PEL_HKCU, "Software\\Varenta", kNoIdentifier, nullptr},  // 7
    {TREE, PEL_HKCR, "AppID\\", PEL_A1, nullptr},  // 8
    {TREE, PEL_HKCR, "CLSID\\", PEL_C4, nullptr},  // 9
    {TREE, PEL_HKCR, "CLSID\\", PEL_C5, nullptr},  // 10
    {TREE, PEL_HKCR, "CLSID\\", PEL_C6, nullptr},  // 11
    {TREE, PEL_HKCR, "CLSID\\", PEL_C7, nullptr},  // 12
    {TREE, PEL_HKCR, "CLSID\\", PEL_C8, nullptr},  // 13
    {TREE, PEL_HKCR, "Interface\\", PEL_I1, nullptr},  // 14
    {TREE, PEL_HKCR, "Interface\\", PEL_I2, nullptr},  // 15
    {TREE, PEL_HKCR, "Varenta.Head", kNoIdentifier, nullptr},  // 16
    {TREE, PEL_HKCR, "Varenta.Head.2", kNoIdentifier, nullptr},  // 17
    {TREE, PEL_HKCR, "VarentaPlayer.NPlayer", kNoIdentifier, nullptr},  // 18
    {TREE, PEL_HKCR, "VarentaPlayer.NPlayer.2", kNoIdentifier, nullptr},  // 19
    {TREE, PEL_HKCR, "VarentaServices.QServices", kNoIdentifier, nullptr},  // 20
    {TREE, PEL_HKCR, "VarentaServices.QServices.2", kNoIdentifier, nullptr},  // 21
    {TREE, PEL_HKCR, "VarentaServices.NVarentaWindow", kNoIdentifier, nullptr},  // 22
    {TREE, PEL_HKCR, "VarentaServices.NVarentaWindow.2", kNoIdentifier, nullptr},  // 23
    {TREE, PEL_HKCR, "TypeLib\\", PEL_T1, nullptr},  // 24
    {TREE, PEL_HKCR, "TypeLib\\", PEL_T2, nullptr},  // 25
    {TREE, PEL_HKCR, "TypeLib\\", PEL_T3, nullptr},  // 26
    {TREE, PEL_HKCR, "Nimbar.NIBho", kNoIdentifier, nullptr},  // 27
    {TREE, PEL_HKCR, "Nimbar.NIBho.2", kNoIdentifier, nullptr},  // 28
    {TREE, PEL_HKCR, "Nimbar.NWebBrowserCtl", kNoIdentifier, nullptr},  // 29
    {TREE, PEL_HKCR, "Nimbar.NWebBrowserCtl.2", kNoIdentifier, nullptr},  // 30
    {TREE, PEL_HKCR, "NimbarBho.NBridge", kNoIdentifier, nullptr},  // 31
    {TREE, PEL_HKCR, "NimbarBho.NBridge.2", kNoIdentifier, nullptr},  // 32
    {TREE, PEL_HKCR, "NimbarBho.NNetscapeBHO", kNoIdentifier, nullptr},  // 33
    {TREE, PEL_HKCR, "NimbarBho.NNetscapeBHO.2", kNoIdentifier, nullptr},  // 34
    {TREE, PEL_HKCR, "Applications\\varenta.exe", kNoIdentifier, nullptr},  // 35
    {TREE, PEL_HKCR, "Applications\\varenta2.exe", kNoIdentifier, nullptr},  // 36
    {TREE, PEL_HKCR, ".qpg", kNoIdentifier, nullptr},  // 37
    {TREE, PEL_HKCR, "Applications\\qpgreader.exe", kNoIdentifier, nullptr},  // 38
    {TREE, PEL_HKCR, "varenta_package", kNoIdentifier, nullptr},  // 39
    {TREE, PEL_HKCR, kMimeType, kNoIdentifier, nullptr},  // 40
    {TREE, PEL_HKCR, "Uploader.FileUploader", kNoIdentifier, nullptr},  // 41
    {TREE, PEL_HKCR, "Uploader.FileUploader.1", kNoIdentifier, nullptr},  // 42
    {TREE, PEL_HKCR, "TypeLib\\", PEL_T4, nullptr},  // 43
    {TREE, PEL_HKLM, kAppPath, kNoIdentifier, nullptr},  // 44
    {TREE, PEL_HKLM, kAppPath2, kNoIdentifier, nullptr},  // 45
    {TREE, PEL_HKCR, "AppID\\", PEL_A2, nullptr},  // 46
    {TREE, PEL_HKCR, "CLSID\\", PEL_C9, nullptr},  // 47
    {TREE, PEL_HKCR, "TypeLib\\", PEL_T5, nullptr},  // 48
    {TREE, PEL_HKCR, "Varenta.Head.1", kNoIdentifier, nullptr},  // 49
    {TREE, PEL_HKCR, "VarentaPlayer.NPlayer.1", kNoIdentifier, nullptr},  // 50
    {TREE, PEL_HKCR, "VarentaServices.QServices.1", kNoIdentifier, nullptr},  // 51
    {TREE, PEL_HKCR, "VarentaServices.NVarentaWindow.1", kNoIdentifier, nullptr},  // 52
    {TREE, PEL_HKCR, "Nimbar.NIBho.1", kNoIdentifier, nullptr},  // 53
    {TREE, PEL_HKCR, "Nimbar.NWebBrowserCtl.1", kNoIdentifier, nullptr},  // 54
    {TREE, PEL_HKCR, "NimbarBho.NBridge.1", kNoIdentifier, nullptr},  // 55
    {TREE, PEL_HKCR, "NimbarBho.NNetscapeBHO.1", kNoIdentifier, nullptr},  // 56
    {TREE, PEL_HKLM, "SOFTWARE\\Classes\\AppID\\QPlayer.EXE", kNoIdentifier, nullptr},  // 57
    {TREE, PEL_HKLM, kMachineClsid, PEL_C10, nullptr},  // 58
    {TREE, PEL_HKLM, kMachineClsid, PEL_C9, nullptr},  // 59
    {TREE, PEL_HKLM, kMachineClsid, PEL_C11, nullptr},  // 60
    {TREE, PEL_HKLM, kMachineClsid, PEL_C12, nullptr},  // 61
    {TREE, PEL_HKLM, kMachineClsid, PEL_C13, nullptr},  // 62
    {TREE, PEL_HKLM, kMachineClsid, PEL_C14, nullptr},  // 63
    {TREE, PEL_HKLM, kMachineClsid, PEL_C15, nullptr},  // 64
    {TREE, PEL_HKLM, kMachineInterface, PEL_I3, nullptr},  // 65
    {TREE, PEL_HKLM, kMachineInterface, PEL_I4, nullptr},  // 66
    {TREE, PEL_HKLM, kMachineInterface, PEL_I5, nullptr},  // 67
    {TREE, PEL_HKLM, kMachineInterface, PEL_I6, nullptr},  // 68
    {TREE, PEL_HKLM, kMachineInterface, PEL_I7, nullptr},  // 69
    {TREE, PEL_HKLM, kMachineInterface, PEL_I8, nullptr},  // 70
    {TREE, PEL_HKLM, kMachineInterface, PEL_I9, nullptr},  // 71
    {TREE, PEL_HKLM, kMachineTypeLib, PEL_T6, nullptr},  // 72
    {TREE, PEL_HKLM, kMachineTypeLib, PEL_T7, nullptr},  // 73
    {TREE, PEL_HKLM, kMachineTypeLib, PEL_T8, nullptr},  // 74
    {VALUES, PEL_HKLM, kSharedDlls, kNoIdentifier, "Varenta"},  // 75
    {TREE, PEL_HKLM, kUninstall, PEL_U1, nullptr},  // 76
    {TREE, PEL_HKCU, kUninstall, PEL_U1, nullptr},  // 77
};

// The client keeps no operations in the queue of file operations.
const Catalogue kPelCatalogue = {kPelCatalogueRows, kPelCatalogueSize, PelIdentifier, nullptr};
