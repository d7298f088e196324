#pragma once
#include "engine/core/run_settings.h"

// What the command line asks for besides the settings it fills.
enum class ParseOutcome {
  Run,          // go on with the run flow
  Usage,        // "?": show the usage box and end
  RegServer,    // "regserver": register and end
  UnregServer,  // "unregserver": unregister and end
};

// Compares a token with a keyword ignoring case; returns 0 when they are equal
// (lstrcmpiA on Windows).
typedef int (*KeywordCompare)(const char* token, const char* keyword);

// ASCII-only case-insensitive comparison, the portable stand-in for lstrcmpiA.
int CompareAsciiNoCase(const char* a, const char* b);

// One pass over the whole command line (program path included): tokens are split at "-",
// "/" and " ", compared with the keywords and applied to `settings`. Tokens after "?",
// "regserver" or "unregserver" are not read. After "restore", an eight-digit token and a
// six-digit one (with ".N" or not) name a backup ("20261209-101500" arrives split at its
// hyphen): both are used up for `restoreName`. Any other word there that is no keyword is
// used up for `restoreRefused`, as it was typed up to the next blank.
ParseOutcome ParseCommandLineText(const char* line, RunSettings& settings, KeywordCompare compare);
