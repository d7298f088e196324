#pragma once
#include <cstdint>
#include <string>

// Bits of an option word. A non-zero word asks for that client's removal; the bits add
// optional steps. -1 asks for every step.
enum OptionBits : int32_t {
  OPT_ALL = 1,  // tested by nobody; lets a word ask for the removal alone
  OPT_ALL_USERS = 2,
  OPT_DESKTOP_SHORTCUTS = 4,
  OPT_START_MENU = 8,
  OPT_CONTENT_STORE = 16,
  OPT_SHUTDOWN_CLIENT = 32,
  OPT_PREFS = 64,
};

// True when every bit of `bits` is set in `word` (so no bits at all is always true).
inline bool HasOptions(int32_t word, int32_t bits) { return (word & bits) == bits; }

// The settings a run is made of: written by the command line or the options dialog before
// the log is opened, only read afterwards.
struct RunSettings {
  int32_t pelOptions = 0;
  int32_t orvOptions = 0;
  bool silent = false;
  bool verbose = false;
  bool logEnabled = false;
  bool removeLauncher = false;
  bool automation = false;
  // Keywords that change how a run goes, none of them on by default:
  bool preview = false;  // find and list what a removal would delete; change nothing
  bool backup = false;   // keep every deleted key, value and file in a backup folder
  bool restore = false;  // put the newest backup folder back instead of removing
  bool codes = false;    // exit codes that tell a script how the run ended
  // The backup "/restore" named ("YYYYMMDD-HHMMSS[.N]" in shape; whether such a backup name
  // is valid is for the restore to judge). Empty: the newest.
  std::string restoreName;
  // A word after "/restore" that is neither a keyword nor a backup's name (a path, a name too
  // long): nothing is restored, and the report names it. Empty when there was none.
  std::string restoreRefused;
};
