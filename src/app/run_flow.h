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
// The closing box of a preview: what was found, and that nothing was changed.
void ShowPreviewReport();

// The exit code of a removal run that went to its end: a preview's 0 or 1, with "codes" 0 or
// 3010, else 0.
int RemovalExitCode();
// The exit code when the dialog was cancelled or the confirmation declined.
int DeclinedExitCode();

// Puts the newest backup back (the log opened by the caller), shows its box unless silent and
// returns the exit code.
int RunRestore();

// Runs the removals asked for, in their fixed order, through the change gate set for a
// preview, a backup or a plain removal.
void RunRemovals();
