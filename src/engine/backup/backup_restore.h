#pragma once
// Puts a backup back: its registry keys and values with their types, and its files at their
// places. The backup is taken from the backups folder only (backup_root.h), after the same
// checks its making passed, and what it says is still held to the removal's own limits: keys
// only where a removal deletes them, files only on fixed local drives and never into one of the
// system's own folders, no link inside it followed. Nothing that exists again is overwritten.
// Each item is reported to the cleanup context with the restore labels; one that cannot go back
// is a failure. The folder is renamed "<name>.restored" only when everything went back, so that
// a later restore can finish a partial one.
#include <cstddef>
#include <string>
#include <vector>

#include "engine/run/run_context.h"

struct RestoreOutcome {
  std::string folder;   // the backup restored (its name before the renaming); empty: none
  size_t restored = 0;  // items put back (in a preview: that would be)
  std::string problem;  // why no backup could be taken ("" when one was, or there was none)
};

// `name`: the backup's folder name, or empty for the newest. A run whose policy changes
// nothing only looks: it reports what would be put back as found, what would stay as failed.
// `queueOwners`: what marks each client's own operations in the queue of file operations
// (ASCII, as the catalogues give it); no other operation is queued again.
RestoreOutcome RestoreBackup(RunContext& run, const std::string& name, const std::vector<std::string>& queueOwners);
