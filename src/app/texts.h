#pragma once
#include <string>
#include <vector>

#include "engine/core/run_settings.h"

// Size of the buffers in which the summary and the failure report are built.
const size_t kMessageBufferSize = 4096;

extern const char kUsageCaption[];
extern const char kUsageText[];
extern const char kConfirmText[];
extern const char kSuccessText[];
extern const char kTitlePrefix[];
// Added at the end of the final report when the log's name was refused.
extern const char kLogRefusedNote[];

// The note that ends the closing box when no backup could be made: every item that needed one
// stayed. `reason` says why ("the backups folder ... can be changed by other users").
std::string BuildBackupRefusedNote(const std::string& reason);

// The note that ends the closing box when the launcher was not started (`reason`: why).
std::string BuildLauncherNotStartedNote(const std::string& reason);

// The verbose summary of what the run will remove.
std::string BuildOptionsSummary(const RunSettings& settings);

// The final report listing the items that could not be deleted; it never grows past the
// 4,096-byte buffer: entries that do not fit are replaced by one "(N more not shown)" line.
// `note`, when given, ends the report and always fits.
std::string BuildFailureReport(const std::vector<std::string>& failures,
                               const std::string& note = std::string());

// The success text, with `note` after it.
std::string BuildSuccessReport(const std::string& note = std::string());

// The closing box of a preview: how many items were found, that nothing was changed, and
// the items, listed like the failure report; `note`, when given, ends it and always fits.
// `restore`: the items a restore would put back.
std::string BuildPreviewReport(const std::vector<std::string>& found,
                               const std::string& note = std::string(), bool restore = false);

// The closing box of a restore from `folder` (empty: none was found); `problem`, when given,
// says why no backup could be taken.
std::string BuildRestoreReport(const std::string& folder, size_t restored,
                               const std::vector<std::string>& failures,
                               const std::string& problem = std::string());

// Why "/restore" followed by `word` restored nothing: the word names no backup. A word longer
// than a line of the box is cut, and the cut said.
std::string BuildRefusedBackupWord(const std::string& word);
