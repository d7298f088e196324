#pragma once
#include <windows.h>

#include "app/app_module.h"

// Parses the process command line into the application's settings. For "?", "regserver" and
// "unregserver" it shows the usage or (un)registers, puts the result into `exitCode` and
// returns false: the run ends. True when the run goes on.
bool ParseCommandLine(AppModule& app, const char* commandLine, int& exitCode);

void ShowUsage();
// The Yes/No confirmation; true when the user answered Yes.
bool ConfirmRemoval(const AppModule& app);
void ShowOptionsSummary(const AppModule& app);
void ShowFinalReport(const AppModule& app);
// The closing box of a preview: what was found, and that nothing was changed.
void ShowPreviewReport(const AppModule& app);

// The exit code of a removal run that went to its end: a preview's 0 or 1, with "codes" 0 or
// 3010, else 0.
int RemovalExitCode(const AppModule& app);
// The exit code when the dialog was cancelled or the confirmation declined.
int DeclinedExitCode(const AppModule& app);

// Puts the newest backup back (the log opened by the caller), shows its box unless silent and
// returns the exit code.
int RunRestore(AppModule& app);

// Runs the removals asked for, in their fixed order, under the one policy the settings choose:
// a preview, a backup or a plain removal.
void RunRemovals(AppModule& app);
