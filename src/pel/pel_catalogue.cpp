#include "pel/pel_catalogue.h"

namespace {

const char kBrowserHelpers[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects\\";
const char kMenuEntry[] = "Software\\Microsoft\\Internet Explorer\\MenuExt\\Get It With Varenta";
const char kMimeType[] = "MIME\\Database\\Content Type\\application/vnd.varenta.qpg";
const char kAppPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\varenta.exe";
const char kAppPath2[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\varenta2.exe";
const char kSharedDlls[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
const char kUninstall[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const char kMachineClsid[] = "SOFTWARE\\Classes\\CLSID\\";
const char kMachineInterface[] = "SOFTWARE\\Classes\\Interface\\";
const char kMachineTypeLib[] = "SOFTWARE\\Classes\\TypeLib\\";

const PelCatalogueOp TREE = PEL_DELETE_KEY_TREE;
const PelCatalogueOp VALUES = PEL_DELETE_VALUES_CONTAINING;

}  // namespace

// Browser helper object and menu entry, settings, COM registrations through the merged
// classes, file and MIME types, application paths, then the machine-wide classes, the
// shared-DLL counters and the client's own uninstall entry. Entries are numbered.
const PelCatalogueEntry kPelCatalogue[kPelCatalogueSize] = {
    {TREE, PEL_HKLM, kBrowserHelpers, PEL_C1, nullptr},  // 1
    {TREE, PEL_HKCR, "CLSID\\", PEL_C1, nullptr},  // 2
    {TREE, PEL_HKCR, "CLSID\\", PEL_C2, nullptr},  // 3
    {TREE, PEL_HKCR, "CLSID\\", PEL_C3, nullptr},  // 4
    {TREE, PEL_HKCU, kMenuEntry, PEL_NO_ID, nullptr},  // 5
    {TREE, PEL_HKLM, "Software\\Varenta", PEL_NO_ID, nullptr},  // 6
    {TREE, PEL_HKCU, "Software\\Varenta", PEL_NO_ID, nullptr},  // 7
    {TREE, PEL_HKCR, "AppID\\", PEL_A1, nullptr},  // 8
    {TREE, PEL_HKCR, "CLSID\\", PEL_C4, nullptr},  // 9
    {TREE, PEL_HKCR, "CLSID\\", PEL_C5, nullptr},  // 10
    {TREE, PEL_HKCR, "CLSID\\", PEL_C6, nullptr},  // 11
    {TREE, PEL_HKCR, "CLSID\\", PEL_C7, nullptr},  // 12
    {TREE, PEL_HKCR, "CLSID\\", PEL_C8, nullptr},  // 13
    {TREE, PEL_HKCR, "Interface\\", PEL_I1, nullptr},  // 14
    {TREE, PEL_HKCR, "Interface\\", PEL_I2, nullptr},  // 15
    {TREE, PEL_HKCR, "Varenta.Head", PEL_NO_ID, nullptr},  // 16
    {TREE, PEL_HKCR, "Varenta.Head.2", PEL_NO_ID, nullptr},  // 17
    {TREE, PEL_HKCR, "VarentaPlayer.NPlayer", PEL_NO_ID, nullptr},  // 18
    {TREE, PEL_HKCR, "VarentaPlayer.NPlayer.2", PEL_NO_ID, nullptr},  // 19
    {TREE, PEL_HKCR, "VarentaServices.QServices", PEL_NO_ID, nullptr},  // 20
    {TREE, PEL_HKCR, "VarentaServices.QServices.2", PEL_NO_ID, nullptr},  // 21
    {TREE, PEL_HKCR, "VarentaServices.NVarentaWindow", PEL_NO_ID, nullptr},  // 22
    {TREE, PEL_HKCR, "VarentaServices.NVarentaWindow.2", PEL_NO_ID, nullptr},  // 23
    {TREE, PEL_HKCR, "TypeLib\\", PEL_T1, nullptr},  // 24
    {TREE, PEL_HKCR, "TypeLib\\", PEL_T2, nullptr},  // 25
    {TREE, PEL_HKCR, "TypeLib\\", PEL_T3, nullptr},  // 26
    {TREE, PEL_HKCR, "Nimbar.NIBho", PEL_NO_ID, nullptr},  // 27
    {TREE, PEL_HKCR, "Nimbar.NIBho.2", PEL_NO_ID, nullptr},  // 28
    {TREE, PEL_HKCR, "Nimbar.NWebBrowserCtl", PEL_NO_ID, nullptr},  // 29
    {TREE, PEL_HKCR, "Nimbar.NWebBrowserCtl.2", PEL_NO_ID, nullptr},  // 30
    {TREE, PEL_HKCR, "NimbarBho.NBridge", PEL_NO_ID, nullptr},  // 31
    {TREE, PEL_HKCR, "NimbarBho.NBridge.2", PEL_NO_ID, nullptr},  // 32
    {TREE, PEL_HKCR, "NimbarBho.NNetscapeBHO", PEL_NO_ID, nullptr},  // 33
    {TREE, PEL_HKCR, "NimbarBho.NNetscapeBHO.2", PEL_NO_ID, nullptr},  // 34
    {TREE, PEL_HKCR, "Applications\\varenta.exe", PEL_NO_ID, nullptr},  // 35
    {TREE, PEL_HKCR, "Applications\\varenta2.exe", PEL_NO_ID, nullptr},  // 36
    {TREE, PEL_HKCR, ".qpg", PEL_NO_ID, nullptr},  // 37
    {TREE, PEL_HKCR, "Applications\\qpgreader.exe", PEL_NO_ID, nullptr},  // 38
    {TREE, PEL_HKCR, "varenta_package", PEL_NO_ID, nullptr},  // 39
    {TREE, PEL_HKCR, kMimeType, PEL_NO_ID, nullptr},  // 40
    {TREE, PEL_HKCR, "Uploader.FileUploader", PEL_NO_ID, nullptr},  // 41
    {TREE, PEL_HKCR, "Uploader.FileUploader.1", PEL_NO_ID, nullptr},  // 42
    {TREE, PEL_HKCR, "TypeLib\\", PEL_T4, nullptr},  // 43
    {TREE, PEL_HKLM, kAppPath, PEL_NO_ID, nullptr},  // 44
    {TREE, PEL_HKLM, kAppPath2, PEL_NO_ID, nullptr},  // 45
    {TREE, PEL_HKCR, "AppID\\", PEL_A2, nullptr},  // 46
    {TREE, PEL_HKCR, "CLSID\\", PEL_C9, nullptr},  // 47
    {TREE, PEL_HKCR, "TypeLib\\", PEL_T5, nullptr},  // 48
    {TREE, PEL_HKCR, "Varenta.Head.1", PEL_NO_ID, nullptr},  // 49
    {TREE, PEL_HKCR, "VarentaPlayer.NPlayer.1", PEL_NO_ID, nullptr},  // 50
    {TREE, PEL_HKCR, "VarentaServices.QServices.1", PEL_NO_ID, nullptr},  // 51
    {TREE, PEL_HKCR, "VarentaServices.NVarentaWindow.1", PEL_NO_ID, nullptr},  // 52
    {TREE, PEL_HKCR, "Nimbar.NIBho.1", PEL_NO_ID, nullptr},  // 53
    {TREE, PEL_HKCR, "Nimbar.NWebBrowserCtl.1", PEL_NO_ID, nullptr},  // 54
    {TREE, PEL_HKCR, "NimbarBho.NBridge.1", PEL_NO_ID, nullptr},  // 55
    {TREE, PEL_HKCR, "NimbarBho.NNetscapeBHO.1", PEL_NO_ID, nullptr},  // 56
    {TREE, PEL_HKLM, "SOFTWARE\\Classes\\AppID\\QPlayer.EXE", PEL_NO_ID, nullptr},  // 57
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
    {VALUES, PEL_HKLM, kSharedDlls, PEL_NO_ID, "Varenta"},  // 75
    {TREE, PEL_HKLM, kUninstall, PEL_U1, nullptr},  // 76
    {TREE, PEL_HKCU, kUninstall, PEL_U1, nullptr},  // 77
};

std::string PelCatalogueKey(const PelCatalogueEntry& entry) {
  return std::string(entry.key) + PelId(entry.id);
}
