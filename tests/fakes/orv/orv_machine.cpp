#include "orv_machine.h"

#include <objbase.h>
#include <shlobj.h>

#include <vector>

#include "orv/orv_ids.h"
#include "test_support.h"

namespace {

// The hosts this process started, until they have ended: a host that has left the running
// object table may still be ending, its program file still in use.
std::vector<HANDLE>& StartedHosts() {
  static std::vector<HANDLE> hosts;
  return hosts;
}

// Waits for every started host to end, at most `ms` in all (a host still running then is left
// to its life).
void WaitForStartedHosts(DWORD ms) {
  const DWORD start = GetTickCount();
  for (HANDLE host : StartedHosts()) {
    const DWORD spent = GetTickCount() - start;
    WaitForSingleObject(host, spent < ms ? ms - spent : 0);
    CloseHandle(host);
  }
  StartedHosts().clear();
}

struct Row {
  OrvItemKind kind;
  HKEY root;
  const char* path;
  const char* name;
  const char* data;  // file content; "@name": a copy of the program `name` of the build
  OrvGoneWhen goneWhen;
};

const char kUninstall[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kCodeStore[] = "SOFTWARE\\Microsoft\\Code Store Database\\Distribution Units\\";
const char kSessionManager[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";

#define HKCU HKEY_CURRENT_USER
#define HKLM HKEY_LOCAL_MACHINE
#define HKCR HKEY_CLASSES_ROOT

// Everything but the COM classes and the data folders.
const Row kMachine[] = {
    // Two configurations with their shortcut lists ("Orv Player" is in both of ConfA's).
    {ITEM_KEY, HKCU, "Software\\orv", nullptr, nullptr, GONE_ALWAYS},
    {ITEM_VALUE, HKCU, "Software\\orv", "Version", "3.1", GONE_ALWAYS},
    {ITEM_VALUE, HKCU, "Software\\orv\\ConfA", "Label", "Films", GONE_ALWAYS},
    {ITEM_KEY, HKCU, "Software\\orv\\ConfA\\uninstall\\shortcuts\\Orv Player", nullptr, nullptr, GONE_ALWAYS},
    {ITEM_KEY, HKCU, "Software\\orv\\ConfA\\shortcuts\\Orv Guide", nullptr, nullptr, GONE_ALWAYS},
    {ITEM_KEY, HKCU, "Software\\orv\\ConfA\\shortcuts\\Orv Player", nullptr, nullptr, GONE_ALWAYS},
    {ITEM_VALUE, HKCU, "Software\\orv\\ConfB", "Label", "Music", GONE_ALWAYS},
    {ITEM_KEY, HKCU, "Software\\orv\\ConfB\\shortcuts\\ConfB Tray", nullptr, nullptr, GONE_ALWAYS},
    {ITEM_VALUE, HKLM, "Software\\orv", "InstallDir", "<WINDIR>\\orv", GONE_ALWAYS},
    {ITEM_VALUE, HKCR, "AppID\\<APP>", "", "ORV", GONE_ALWAYS},
    // Code-download record of somebody else's control.
    {ITEM_VALUE, HKLM, "SOFTWARE\\Microsoft\\Code Store Database\\Distribution Units\\{11111111-2222-3333-4444-555555555555}",
     "", "Other control", STAYS},
    // Uninstall entries: the client's, its configurations' (on the machine, which this user
    // may change), and others that stay.
    {ITEM_VALUE, HKCU, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\orv", "DisplayName", "ORV", GONE_ALWAYS},
    {ITEM_VALUE, HKLM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\orv", "DisplayName", "ORV", GONE_ALWAYS},
    {ITEM_VALUE, HKCU, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Swiftparcel", "DisplayName", "Swiftparcel", GONE_ALWAYS},
    {ITEM_VALUE, HKLM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Swiftparcel", "DisplayName", "Swiftparcel", GONE_ALWAYS},
    {ITEM_VALUE, HKLM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\orv_ConfA", "DisplayName", "ORV Films", GONE_ALWAYS},
    {ITEM_KEY, HKLM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\orv_ConfA\\Parts\\Player", nullptr, nullptr, GONE_ALWAYS},
    {ITEM_VALUE, HKLM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\orv_ConfB", "DisplayName", "ORV Music", GONE_ALWAYS},
    {ITEM_VALUE, HKCU, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\orv_ConfA", "DisplayName", "ORV Films", STAYS},
    {ITEM_VALUE, HKLM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\orv_Other", "DisplayName", "Not a configuration", STAYS},
    {ITEM_VALUE, HKLM, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\OtherApp", "DisplayName", "Other", STAYS},
    // Optional-component entries.
    {ITEM_VALUE, HKCU, "Software\\Microsoft\\Windows\\CurrentVersion\\Setup\\OptionalComponents\\orv_ConfA", "Installed", "1", GONE_ALWAYS},
    {ITEM_VALUE, HKCU, "Software\\Microsoft\\Windows\\CurrentVersion\\Setup\\OptionalComponents\\OtherPart", "Installed", "1", STAYS},
    {ITEM_VALUE, HKLM, "Software\\Microsoft\\Windows\\CurrentVersion\\Setup\\OptionalComponents\\orv", "Installed", "1", GONE_ALWAYS},
    // Start-up values: the client's, another program's whose name holds "orv", and others.
    {ITEM_VALUE, HKLM, kRun, "orv", "\"<WINDIR>\\orv\\orvhost.exe\" -tray", GONE_ALWAYS},
    {ITEM_VALUE, HKLM, kRun, "ORVUpdate", "<WINDIR>\\orv\\update.exe", GONE_ALWAYS},
    {ITEM_VALUE, HKLM, kRun, "Antivirus", "C:\\av\\av.exe", STAYS},
    {ITEM_VALUE, HKCU, kRun, "orv", "\"<WINDIR>\\orv\\orvhost.exe\" -tray", GONE_ALWAYS},
    {ITEM_VALUE, HKCU, kRun, "TorvaldsSync", "C:\\sync\\sync.exe", GONE_ALWAYS},
    {ITEM_VALUE, HKCU, kRun, "Mail", "C:\\mail\\mail.exe", STAYS},
    // The Windows directory's folder of the client, and a neighbour that stays.
    {ITEM_FILE, nullptr, "<WINDIR>\\orv\\orvhost.exe", nullptr, "@orv_host.exe", GONE_ALWAYS},
    {ITEM_FILE, nullptr, "<WINDIR>\\orv\\orvui.dll", nullptr, "ui", GONE_ALWAYS},
    {ITEM_FILE, nullptr, "<WINDIR>\\orv\\lang\\en\\strings.txt", nullptr, "strings", GONE_ALWAYS},
    {ITEM_DIR, nullptr, "<WINDIR>\\orv\\cache\\", nullptr, nullptr, GONE_ALWAYS},
    {ITEM_FILE, nullptr, "<WINDIR>\\orvtools\\keep.txt", nullptr, "keep", STAYS},
    // Desktop shortcuts, listed by the configurations, and one that is not.
    {ITEM_FILE, nullptr, "<DESKTOP>Orv Player.lnk", nullptr, "lnk", GONE_DESKTOP},
    {ITEM_FILE, nullptr, "<DESKTOP>Orv Guide.lnk", nullptr, "lnk", GONE_DESKTOP},
    {ITEM_FILE, nullptr, "<DESKTOP>ConfB Tray.lnk", nullptr, "lnk", GONE_DESKTOP},
    {ITEM_FILE, nullptr, "<DESKTOP>Other.lnk", nullptr, "lnk", STAYS},
    // The launcher: its key stays, its executable and icon go.
    {ITEM_VALUE, HKCU, "Software\\Varenta\\qlaunch", "path", "<QLAUNCH>qlaunch.exe", STAYS},
    {ITEM_VALUE, HKCU, "Software\\Varenta\\qlaunch", "icon", "qlaunch.ico", STAYS},
    {ITEM_FILE, nullptr, "<QLAUNCH>qlaunch.exe", nullptr, "@qlaunch.exe", GONE_LAUNCHER},
    {ITEM_FILE, nullptr, "<QLAUNCH>qlaunch.ico", nullptr, "icon", GONE_LAUNCHER},
    {ITEM_FILE, nullptr, "<QLAUNCH>readme.txt", nullptr, "readme", STAYS},
    // The profiles root holds a plain file too.
    {ITEM_FILE, nullptr, "<PROFILES>\\profiles.txt", nullptr, "not a profile", STAYS},
};

// The data root of one application-data folder: the folders of the configurations and those
// matching "orv*", each with the client's files and others.
const Row kDataRoot[] = {
    {ITEM_DIR, nullptr, "Varenta\\", nullptr, nullptr, STAYS},
    {ITEM_DIR, nullptr, "Varenta\\ConfA\\", nullptr, nullptr, GONE_WHOLE},
    {ITEM_FILE, nullptr, "Varenta\\ConfA\\ncstore_db.xml", nullptr, "store", GONE_CSTORE},
    {ITEM_FILE, nullptr, "Varenta\\ConfA\\thumbnails\\t1.jpg", nullptr, "jpg", GONE_CSTORE},
    {ITEM_FILE, nullptr, "Varenta\\ConfA\\thumbnails\\small\\t2.jpg", nullptr, "jpg", GONE_CSTORE},
    {ITEM_FILE, nullptr, "Varenta\\ConfA\\nprefs_db.xml", nullptr, "prefs", GONE_PREFS},
    {ITEM_FILE, nullptr, "Varenta\\ConfA\\error.log", nullptr, "log", GONE_ALWAYS},
    {ITEM_FILE, nullptr, "Varenta\\ConfA\\errorlog.ini", nullptr, "ini", GONE_ALWAYS},
    {ITEM_FILE, nullptr, "Varenta\\ConfA\\nhelpers.xml", nullptr, "helpers", GONE_ALWAYS},
    {ITEM_FILE, nullptr, "Varenta\\ConfA\\nprefs_db_update.xml", nullptr, "update", GONE_ALWAYS},
    {ITEM_FILE, nullptr, "Varenta\\ConfA\\ncstore_db.xml.swap", nullptr, "swap", GONE_ALWAYS},
    {ITEM_FILE, nullptr, "Varenta\\ConfA\\nprefs_db.xml.swap", nullptr, "swap", GONE_WHOLE},
    {ITEM_FILE, nullptr, "Varenta\\ConfA\\downloads\\film.bin", nullptr, "film", GONE_WHOLE},
    {ITEM_FILE, nullptr, "Varenta\\orvCache\\error.log", nullptr, "log", GONE_ALWAYS},
    {ITEM_FILE, nullptr, "Varenta\\orvCache\\ncstore_db.xml", nullptr, "store", GONE_CSTORE},
    {ITEM_FILE, nullptr, "Varenta\\orvCache\\keep.dat", nullptr, "data", GONE_WHOLE},
    {ITEM_DIR, nullptr, "Varenta\\orvCache\\", nullptr, nullptr, GONE_WHOLE},
    {ITEM_FILE, nullptr, "Varenta\\orvnotes.txt", nullptr, "a file, not a data folder", STAYS},
    {ITEM_FILE, nullptr, "Varenta\\PelData\\error.log", nullptr, "another client's", STAYS},
};
// Only in the current user's profile: the second configuration's data folder.
const Row kCurrentUserDataRoot[] = {
    {ITEM_FILE, nullptr, "Varenta\\ConfB\\nprefs_db.xml", nullptr, "prefs", GONE_PREFS},
    {ITEM_FILE, nullptr, "Varenta\\ConfB\\error.log", nullptr, "log", GONE_ALWAYS},
    {ITEM_DIR, nullptr, "Varenta\\ConfB\\", nullptr, nullptr, GONE_WHOLE},
};
// The other profiles, as on a machine of the classic layout.
const char* const kOtherProfiles[] = {"All Users", "Default User", "alice"};

struct ClassRow {
  OrvId id;
  const char* progId;
  bool codeDownload;
};
const ClassRow kClasses[] = {
    {ORV_ID_UI, "ORV.UI", true},           {ORV_ID_HOST, "ORV.Host", true},
    {ORV_ID_FRAME, "ORV.Frame", true},     {ORV_ID_API, "ORV.Api", true},
    {ORV_ID_CACHE, "Orvres.ORVCache", false}, {ORV_ID_INSTALL, "ORV.Install", true},
    {ORV_ID_COLLECTION, "ORV.Collection", true}, {ORV_ID_SECURE_UI, "ORV.SecureUI", true},
    {ORV_ID_SECURE_FRAME, "ORV.SecureFrame", true}, {ORV_ID_SECURE_API, "ORV.SecureApi", true},
    {ORV_ID_SECURE_INSTALL, "ORV.SecureInstall", true},
};

const char* const kIdTokens[ORV_ID_COUNT] = {"<APP>", "<UI>", "<HOST>", "<FRAME>", "<API>",
                                             "<CACHE>", "<INSTALL>", "<COLLECTION>", "<SECURE_UI>",
                                             "<SECURE_FRAME>", "<SECURE_API>", "<SECURE_INSTALL>"};

// Operations queued for the next start of Windows: the client's and other installers'.
const char16_t kPendingOperations[] =
    u"\\??\\C:\\windows\\orv\\orvhost.exe.new\0!\\??\\C:\\windows\\orv\\orvhost.exe\0"
    u"\\??\\C:\\Temp\\setup1.tmp\0\0"
    u"\\??\\C:\\Program Files\\Other\\new.dll\0!\\??\\C:\\Program Files\\Other\\old.dll\0"
    u"\\??\\C:\\users\\root\\Temp\\ORVSetup.tmp\0\0"
    u"\\??\\C:\\Temp\\\u4E2D\u6587.tmp\0\0";
const char16_t kPendingOperationsLeft[] =
    u"\\??\\C:\\Temp\\setup1.tmp\0\0"
    u"\\??\\C:\\Program Files\\Other\\new.dll\0!\\??\\C:\\Program Files\\Other\\old.dll\0"
    u"\\??\\C:\\Temp\\\u4E2D\u6587.tmp\0\0";
const char16_t kPendingOperations2[] = u"\\??\\C:\\windows\\orv\\lang\0\0";

template <size_t N>
std::u16string MultiString(const char16_t (&text)[N]) {
  return std::u16string(text, N);  // with the closing empty string
}

std::string FolderPath(int csidl) {
  char path[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE)) return std::string();
  std::string text(path);
  if (!text.empty() && text.back() != '\\') text += '\\';
  return text;
}

std::string WindowsFolder() {
  char path[MAX_PATH] = {};
  GetWindowsDirectoryA(path, MAX_PATH);
  return path;
}

void ReplaceAll(std::string& text, const std::string& token, const std::string& value) {
  for (size_t at = text.find(token); at != std::string::npos; at = text.find(token, at + value.size()))
    text.replace(at, token.size(), value);
}

// The profiles root and the path from a profile to its application-data folder.
void ProfileLayoutHere(std::string& root, std::string& suffix) {
  const std::string appData = FolderPath(CSIDL_APPDATA);
  std::string profile = FolderPath(CSIDL_PROFILE);
  profile.pop_back();
  root = profile.substr(0, profile.rfind('\\'));
  suffix = appData.substr(profile.size());
}

OrvItem Item(const Row& row, const std::string& prefix, bool otherProfile) {
  OrvItem item{row.kind, row.root, ExpandOrvTokens(prefix + row.path), row.name ? row.name : "",
               row.data ? ExpandOrvTokens(row.data) : "", row.goneWhen, otherProfile};
  return item;
}

std::u16string ReadMultiString(const wchar_t* name) {
  HKEY key = nullptr;
  std::u16string data;
  if (RegOpenKeyExA(HKLM, kSessionManager, 0, KEY_READ, &key) != ERROR_SUCCESS) return data;
  DWORD type = 0, size = 0;
  if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
      type == REG_MULTI_SZ) {
    data.resize(size / 2);
    RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &size);
  }
  RegCloseKey(key);
  return data;
}

bool WriteMultiString(const wchar_t* name, const std::u16string& data) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKLM, kSessionManager, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return false;
  const LONG status = RegSetValueExW(key, name, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(data.data()),
                                     static_cast<DWORD>(data.size() * 2));
  RegCloseKey(key);
  return status == ERROR_SUCCESS;
}

void DeleteMultiString(const wchar_t* name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKLM, kSessionManager, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
  RegDeleteValueW(key, name);
  RegCloseKey(key);
}

bool MakeItem(const OrvItem& item, const std::string& binDir) {
  switch (item.kind) {
    case ITEM_KEY: return CreateRegKey(item.root, item.path);
    case ITEM_VALUE: return SetRegString(item.root, item.path, item.name, item.data);
    case ITEM_DIR: return MakeDirs(item.path);
    case ITEM_FILE: {
      MakeDirs(item.path.substr(0, item.path.rfind('\\') + 1));
      if (!item.data.empty() && item.data[0] == '@')
        return CopyFileA((binDir + item.data.substr(1)).c_str(), item.path.c_str(), FALSE) != FALSE;
      return WriteFileBytes(item.path, item.data);
    }
  }
  return false;
}

const wchar_t kPendingName[] = L"PendingFileRenameOperations";
const wchar_t kPendingName2[] = L"PendingFileRenameOperations2";

}  // namespace

std::string ExpandOrvTokens(const std::string& text) {
  std::string out = text;
  if (out.find('<') == std::string::npos) return out;
  std::string root, suffix;
  ProfileLayoutHere(root, suffix);
  ReplaceAll(out, "<APPDATA>", FolderPath(CSIDL_APPDATA));
  ReplaceAll(out, "<PROFILES>", root);
  ReplaceAll(out, "<SUFFIX>", suffix);
  ReplaceAll(out, "<DESKTOP>", FolderPath(CSIDL_DESKTOP));
  ReplaceAll(out, "<WINDIR>", WindowsFolder());
  ReplaceAll(out, "<QLAUNCH>", FolderPath(CSIDL_PROGRAM_FILES) + "Varenta\\QLaunch\\");
  for (int id = 0; id < ORV_ID_COUNT; ++id) ReplaceAll(out, kIdTokens[id], OrvIdText(OrvId(id)));
  return out;
}

std::vector<OrvItem> OrvMachineItems(const OrvMachineSetup& setup) {
  std::vector<OrvItem> items;
  for (const Row& row : kMachine) items.push_back(Item(row, "", false));
  for (const ClassRow& c : kClasses) {
    if (c.id == ORV_ID_SECURE_API && !setup.secureApi) continue;
    const std::string classKey = std::string("CLSID\\") + OrvIdText(c.id);
    const std::string progId = c.progId, versionProgId = progId + ".1";
    items.push_back({ITEM_VALUE, HKCR, progId + "\\CLSID", "", OrvIdText(c.id), GONE_ALWAYS, false});
    items.push_back({ITEM_VALUE, HKCR, progId + "\\CurVer", "", versionProgId, GONE_ALWAYS, false});
    items.push_back({ITEM_VALUE, HKCR, versionProgId + "\\CLSID", "", OrvIdText(c.id), GONE_ALWAYS, false});
    items.push_back({ITEM_VALUE, HKCR, classKey + "\\ProgID", "", versionProgId, GONE_ALWAYS, false});
    if (c.id == ORV_ID_HOST)
      items.push_back({ITEM_VALUE, HKCR, classKey + "\\LocalServer32", "", "\"" + OrvHostPath() + "\"",
                       GONE_ALWAYS, false});
    else
      items.push_back({ITEM_VALUE, HKCR, classKey + "\\InprocServer32", "",
                       ExpandOrvTokens("<WINDIR>\\orv\\orvui.dll"), GONE_ALWAYS, false});
    if (c.codeDownload)
      items.push_back({ITEM_VALUE, HKLM, kCodeStore + std::string(OrvIdText(c.id)) + "\\DownloadInformation",
                       "CODEBASE", "http://orv.example/orv.cab", GONE_ALWAYS, false});
  }
  for (const Row& row : kDataRoot) items.push_back(Item(row, "<APPDATA>", false));
  for (const Row& row : kCurrentUserDataRoot) items.push_back(Item(row, "<APPDATA>", false));
  for (const char* profile : kOtherProfiles)
    for (const Row& row : kDataRoot)
      items.push_back(Item(row, std::string("<PROFILES>\\") + profile + "<SUFFIX>", true));
  return items;
}

bool InstallOrvMachine(const OrvMachineSetup& setup, const std::string& binDir, std::string& error) {
  for (const OrvItem& item : OrvMachineItems(setup)) {
    if (!MakeItem(item, binDir)) {
      error = "cannot make " + item.path + (item.name.empty() ? "" : " - " + item.name);
      return false;
    }
  }
  if (!WriteMultiString(kPendingName, MultiString(kPendingOperations)) ||
      !WriteMultiString(kPendingName2, MultiString(kPendingOperations2))) {
    error = "cannot queue the pending operations";
    return false;
  }
  return true;
}

void UninstallOrvMachine() {
  WaitForStartedHosts(20000);
  OrvMachineSetup everything;
  everything.secureApi = true;
  for (const OrvItem& item : OrvMachineItems(everything)) {
    switch (item.kind) {
      case ITEM_KEY:
      case ITEM_VALUE: DeleteRegTreeForTest(item.root, item.path); break;
      case ITEM_DIR: DeleteTreeForTest(item.path); break;
      case ITEM_FILE: DeleteFileA(item.path.c_str()); break;
    }
  }
  // The folders the files were made in.
  for (const char* folder : {"<WINDIR>\\orv\\", "<WINDIR>\\orvtools\\", "<QLAUNCH>", "<APPDATA>Varenta\\"})
    DeleteTreeForTest(ExpandOrvTokens(folder));
  for (const char* profile : kOtherProfiles)
    DeleteTreeForTest(ExpandOrvTokens(std::string("<PROFILES>\\") + profile + "\\"));
  DeleteRegTreeForTest(HKCU, "Software\\orv");
  DeleteMultiString(kPendingName);
  DeleteMultiString(kPendingName2);
  DeleteFileA(HostRecordPath().c_str());
  DeleteFileA(LauncherRecordPath().c_str());
}

bool ExpectGone(const OrvItem& item, int32_t orvOptions, bool launcher) {
  if (item.goneWhen == GONE_LAUNCHER) return launcher;
  if (orvOptions == 0) return false;
  if (item.otherProfile && (orvOptions & 2) == 0) return false;
  switch (item.goneWhen) {
    case STAYS: return false;
    case GONE_ALWAYS: return true;
    case GONE_DESKTOP: return (orvOptions & 4) != 0;
    case GONE_CSTORE: return (orvOptions & 16) != 0;
    case GONE_PREFS: return (orvOptions & 64) != 0;
    case GONE_WHOLE: return (orvOptions & 80) == 80;
    case GONE_LAUNCHER: return launcher;
  }
  return false;
}

bool OrvItemIsThere(const OrvItem& item) {
  switch (item.kind) {
    case ITEM_KEY: return RegKeyExists(item.root, item.path);
    case ITEM_VALUE: return RegValueExists(item.root, item.path, item.name);
    case ITEM_DIR: return DirExists(item.path);
    case ITEM_FILE: return FileExists(item.path);
  }
  return false;
}

std::string DescribeOrvItem(const OrvItem& item) {
  static const char* const kRoots[] = {"HKCR", "HKCU", "HKLM"};
  if (item.kind == ITEM_KEY || item.kind == ITEM_VALUE) {
    // Predefined roots are 0x80000000 and up, sign-extended in a 64-bit program.
    const uint32_t root = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(item.root)) - 0x80000000u;
    return std::string(root < 3 ? kRoots[root] : "?") + "\\" + item.path +
           (item.kind == ITEM_VALUE ? " - " + item.name : "");
  }
  return item.path;
}

std::u16string InstalledPendingOperations() { return MultiString(kPendingOperations); }
std::u16string PendingOperationsLeft() { return MultiString(kPendingOperationsLeft); }
std::u16string ReadPendingOperations(bool second) {
  return ReadMultiString(second ? kPendingName2 : kPendingName);
}

std::string OrvHostPath() { return ExpandOrvTokens("<WINDIR>\\orv\\orvhost.exe"); }
std::string LauncherFolder() { return ExpandOrvTokens("<QLAUNCH>"); }

std::string HostRecordPath() {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  return std::string(temp) + "orv_host_record.txt";
}

std::string LauncherRecordPath() {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  return std::string(temp) + "qlaunch_record.txt";
}

bool IsHostRunning(const std::string& item) {
  CoInitialize(nullptr);
  bool running = false;
  wchar_t wide[64];
  MultiByteToWideChar(CP_ACP, 0, item.c_str(), -1, wide, 64);
  IMoniker* moniker = nullptr;
  IBindCtx* context = nullptr;
  if (SUCCEEDED(CreateItemMoniker(L"!", wide, &moniker)) && SUCCEEDED(CreateBindCtx(0, &context)))
    running = moniker->IsRunning(context, nullptr, nullptr) == S_OK;
  if (context) context->Release();
  if (moniker) moniker->Release();
  CoUninitialize();
  return running;
}

bool StartOrvHost(const std::string& item, DWORD lifeMs) {
  SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
  HANDLE nul = CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           &inherit, OPEN_EXISTING, 0, nullptr);
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = startup.hStdOutput = startup.hStdError = nul;
  std::string commandLine = "\"" + OrvHostPath() + "\" -item " + item + " -life " + std::to_string(lifeMs);
  PROCESS_INFORMATION process = {};
  const BOOL started = CreateProcessA(OrvHostPath().c_str(), &commandLine[0], nullptr, nullptr, TRUE,
                                      DETACHED_PROCESS, nullptr, nullptr, &startup, &process);
  if (nul != INVALID_HANDLE_VALUE) CloseHandle(nul);
  if (!started) return false;
  CloseHandle(process.hThread);
  StartedHosts().push_back(process.hProcess);
  for (int i = 0; i < 200; ++i) {
    if (IsHostRunning(item)) return true;
    Sleep(50);
  }
  return false;
}
