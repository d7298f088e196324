#pragma once
// The clients on the demo machine: each installs itself and says what it made, and after the
// demo's removal (/pel /orv /ql: every step of both clients and the launcher) looks for every
// item of the clients it made.
#include <string>
#include <vector>

// What one client's installation made, counted for the demo's report.
struct DemoTally {
  int keys = 0, values = 0, files = 0, folders = 0;
  int others = 0;  // entries of other programs and look-alikes, which the removal must leave
};

// "12 registry keys, 30 registry values, 40 files, 2 folders" (the counts that are not 0) and,
// when there are any, the others.
std::string DescribeTally(const DemoTally& tally);

// Each installs its client, prints what it made and returns false when something could not
// be made.
bool InstallPelDemo();
bool InstallOrvDemo();
bool InstallOtherAccountDemo();  // a second account, not logged on

// Each adds to `left` one line ("registry key HKCU\...", "file C:\...") for every item of its
// client that the demo's removal must take away and that is still there.
void CheckPelDemo(std::vector<std::string>& left);
void CheckOrvDemo(std::vector<std::string>& left);
void CheckOtherAccountDemo(std::vector<std::string>& left);  // its files only
