#pragma once
#include <windows.h>

// Parses the process command line into the application object. For "?", "regserver" and
// "unregserver" it shows the usage or (un)registers, puts the result into `exitCode` and
// returns false: the run ends. True when the run goes on.
bool ParseCommandLine(const char* commandLine, int& exitCode);

void ShowUsage();
// The Yes/No confirmation; true when the user answered Yes.
bool ConfirmRemoval();
void ShowOptionsSummary();
void ShowFinalReport();

// Runs the removals asked for, in their fixed order.
void RunRemovals();
