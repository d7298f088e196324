#pragma once
// Puts the newest backup folder of the current directory back: its registry keys and values
// with their types, and its files at their places. Nothing that exists again is overwritten:
// such an item is reported as failed and stays in the backup. Each item is reported to the
// cleanup context with the restore labels. The folder is then renamed "<name>.restored".
#include <cstddef>
#include <string>

struct RestoreOutcome {
  std::string folder;   // the folder restored (its name before the renaming); empty: none found
  size_t restored = 0;  // items put back (in a preview: that would be)
};

// `preview`: change nothing; report what would be put back as found, what would stay as failed.
RestoreOutcome RestoreNewestBackup(bool preview = false);
