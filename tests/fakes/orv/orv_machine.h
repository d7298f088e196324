#pragma once
// The ORV client and the QLaunch launcher installed on a test machine (a Wine prefix), as
// data: every registry key and value, file and folder the installation makes, each with the
// options under which a removal must take it away. Tests compare the machine after a run
// with these rows; the demo machine installs the same client.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

enum OrvItemKind { ITEM_KEY, ITEM_VALUE, ITEM_DIR, ITEM_FILE };

// When a removal must take an item away.
enum OrvGoneWhen {
  STAYS,           // never: it belongs to someone else
  GONE_ALWAYS,     // with every ORV removal
  GONE_DESKTOP,    // with the ORV desktop-shortcuts bit (4)
  GONE_CSTORE,     // with the content-store bit (16)
  GONE_PREFS,      // with the preferences bit (64)
  GONE_WHOLE,      // with both 16 and 64, which take the whole data folder
  GONE_LAUNCHER,   // with the launcher removal (/ql)
};

struct OrvItem {
  OrvItemKind kind;
  HKEY root;          // registry items
  std::string path;   // key path, or full file or folder path (a folder ends in "\")
  std::string name;   // value name
  std::string data;   // value data (REG_SZ) or file content
  OrvGoneWhen goneWhen;
  bool otherProfile;  // in another user's profile: goes only with the all-users bit (2)
};

struct OrvMachineSetup {
  bool secureApi = false;  // installs HKCR "ORV.SecureApi" (the host is stopped with "-u")
};

// Every item of the installation, paths resolved for this machine.
std::vector<OrvItem> OrvMachineItems(const OrvMachineSetup& setup);

// Installs everything (the host program and the launcher are copied from `binDir`).
// False, with the reason in `error`, when something could not be made.
bool InstallOrvMachine(const OrvMachineSetup& setup, const std::string& binDir, std::string& error);

// Removes whatever is left of an installation (for the next scenario of a test).
void UninstallOrvMachine();

// True when a run with ORV option word `orvOptions` (0: no ORV removal) and the launcher
// removal `launcher` must take the item away.
bool ExpectGone(const OrvItem& item, int32_t orvOptions, bool launcher);

// True when the item is on the machine; the item as "HKCU\path - value" or its path.
bool OrvItemIsThere(const OrvItem& item);
std::string DescribeOrvItem(const OrvItem& item);

// Replaces the tokens of an expected text by this machine's values: <APPDATA> (the current
// user's application-data folder), <PROFILES> (the folder holding the profiles), <SUFFIX>
// (from a profile to its application-data folder), <DESKTOP>, <WINDIR>, <QLAUNCH> (the
// launcher folder), each folder ending in "\" but <PROFILES> and <WINDIR>, and <APP>, <UI>,
// <HOST>... (the client's identifiers).
std::string ExpandOrvTokens(const std::string& text);

// The operations the installation queues for the next start of Windows, those of them that
// are not the client's, and what the machine's queue holds now ("PendingFileRenameOperations",
// or with `second` "PendingFileRenameOperations2", which holds only the client's); each as
// REG_MULTI_SZ data with its closing empty string.
std::u16string InstalledPendingOperations();
std::u16string PendingOperationsLeft();
std::u16string ReadPendingOperations(bool second);

// The host's server path as installed, and the launcher's files.
std::string OrvHostPath();
std::string LauncherFolder();

// The records the test doubles keep: the host's and the launcher's.
std::string HostRecordPath();
std::string LauncherRecordPath();

// Starts the installed host under the item `item` ("QHost" or "QHostNew") and waits until it
// is in the running object table. Its output goes nowhere, so that it holds no pipe open.
// UninstallOrvMachine waits for the hosts started so to end before it deletes their program.
bool StartOrvHost(const std::string& item, DWORD lifeMs = 60000);
// True while something runs under the item moniker "!" + `item`.
bool IsHostRunning(const std::string& item);
