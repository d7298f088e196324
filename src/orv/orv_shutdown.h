#pragma once
// Stopping the ORV client's host before its files are deleted.
#include <string>

// Asks the host to stop (by starting it with "-u" when the secure API is installed, else by
// its stop method when it runs as "QHost"), then waits for "QHost" and "QHostNew" to leave
// the running object table. Reports nothing; no failure stops the removal.
void ShutDownOrvClient();

// The command line the host class is registered under as a local server, without any double
// quote; empty when it is missing, not a string, too long or not terminated.
std::wstring GetHostServerPath();

// True when HKCR "ORV.SecureApi" opens with read and write access (asked once a run, by the
// shutdown).
bool IsSecureApiRegistered();

// Returns once nothing runs under the item moniker "!" + `itemName`, checking once a second
// (and pausing after every check), or after 30 checks, so that a host that never leaves the
// table cannot stall the removal.
void WaitForHostExit(const char* itemName);
