#pragma once
// Security identifiers the program compares owners and permissions with. Built from their
// parts (as on Windows NT 3.1), never looked up by name: a name depends on the language.
#include <windows.h>

#include <string>
#include <vector>

enum class WellKnownSid {
  System,              // S-1-5-18
  Administrators,      // S-1-5-32-544
  Users,               // S-1-5-32-545
  Everyone,            // S-1-1-0
  AuthenticatedUsers,  // S-1-5-11
  Interactive,         // S-1-5-4
  Installer,           // the installer service, S-1-5-80-956008885-...
};

// A SID as the bytes it is made of.
using SidBytes = std::vector<BYTE>;

// The bytes of a well-known SID.
SidBytes SidOf(WellKnownSid which);

// True when `sid` is that well-known SID.
bool IsSid(PSID sid, WellKnownSid which);

// The "S-1-5-21-..." text of a SID, formatted from its parts; empty for an invalid one.
std::wstring SidText(PSID sid);
