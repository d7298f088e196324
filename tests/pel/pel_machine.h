#pragma once
// The PEL client installed on a test machine from data (pel_machine.txt), the check of what a
// removal left of it, and the expected log (pel_expected.log.txt) for an option word.
#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// Folders of this machine and identifier values, by the names the data files use: {PF},
// {APPDATA}, {PROGRAMS}, {DESKTOP}, {OTHER_PROGRAMS}, {OTHER_DESKTOP}, {PROFILES}, {APPSUB},
// {TEMP}, {BIN}, {INSTALL}, and every identifier slot ({C4}, {P1}, ...).
struct MachinePlaces {
  std::map<std::string, std::string> values;
  std::string Expand(const std::string& text) const;
  const std::string& operator[](const std::string& name) const { return values.at(name); }
};

// `win9xFolders`: the removal searches the current user's Programs folder and desktop (the
// Windows 9x family) instead of the all-users ones.
MachinePlaces FindMachinePlaces(bool win9xFolders);

// A data file copied next to the test programs.
std::string ReadPelDataFile(const char* name);

// True when every token holds: "*", "+N" (every bit of N set), "-N" (not every bit of N set);
// "never" never holds.
bool ConditionHolds(const std::string& condition, int32_t optionWord);

struct MachineItem {
  std::string goneWhen;
  std::string kind;                 // key, sz, dword, file, dir
  std::vector<std::string> fields;  // expanded
  int line = 0;
};

std::vector<MachineItem> ParseMachine(const std::string& text, const MachinePlaces& places);

// True when the item is on the machine.
bool MachineItemExists(const MachineItem& item);

// Makes every item; returns one message per item that could not be made.
std::vector<std::string> InstallMachine(const std::vector<MachineItem>& items);

// One message per item whose presence differs from what the option word asks for.
std::vector<std::string> CheckMachine(const std::vector<MachineItem>& items, int32_t optionWord);

// The expected log lines for the option word, placeholders expanded.
std::vector<std::string> ExpectedLog(const std::string& text, const MachinePlaces& places,
                                     int32_t optionWord);

// The lines of a log file written in text mode (each ends in CR LF).
std::vector<std::string> LogLines(const std::string& bytes);

// Installs the PEL client on this machine as the data describes.
bool InstallPelMachine(bool win9xFolders, std::string& problems);
