#include "app/texts.h"

#include "engine/text/bounded_text.h"

const char kUsageCaption[] = "Usage";
const char kUsageText[] =
    "purgon [/l] [/s] [/v] [/orv options] [/pel options] [/ql]\n\n"
    "/l\t- write to purgon.log\n/s\t- silent mode\n/v\t- verbose mode\n\n"
    "/ql\t- remove QLaunch\n\n"
    "Options (add together):\n"
    " 1 - (not used)\n 2 - All users\n 4 - Remove desktop shortcuts\n 8 - Remove start menu\n"
    "16 - Remove cstore\n32 - Shutdown client\n64 - Remove prefs\n"
    // The keywords added later come after the original text, which stays as it was.
    "\n/preview\t- list what would be removed, change nothing\n"
    "/backup\t- keep what is removed in a protected backup folder\n"
    "/restore\t- put the newest backup back (/restore name: that one)\n"
    "/codes\t- exit codes: 0 done, 3010 reboot and run again, 1602 declined\n";
const char kConfirmText[] =
    "This program will remove Varenta components from your computer.\nDo you wish to continue?";
const char kSuccessText[] = "Purgon completed successfully.";
const char kTitlePrefix[] = "Purgon ";
const char kLogRefusedNote[] =
    "\n\npurgon.log was not written: that name is a link or a file with more than one name.";

namespace {

struct SummaryLine {
  int32_t bit;
  const char* text;
};

// In the order the summary lists them. Only the last has no line break.
const SummaryLine kSummaryLines[] = {
    {OPT_ALL_USERS, "\tAll Users\n"},
    {OPT_DESKTOP_SHORTCUTS, "\tRemove Desktop Shortcuts\n"},
    {OPT_START_MENU, "\tRemove Program Shortcuts\n"},
    {OPT_CONTENT_STORE, "\tRemove CStore\n"},
    {OPT_SHUTDOWN_CLIENT, "\tShutdown Client\n"},
    {OPT_PREFS, "\tRemove Prefs"},
};

void AppendWordSummary(BoundedText& text, int32_t word) {
  if (word == 0) {
    text.Append("\t(none)");
    return;
  }
  text.Append("\tAll binaries and registry entries\n");
  for (const SummaryLine& line : kSummaryLines)
    if (HasOptions(word, line.bit)) text.Append(line.text);
}

const char kReportHeading[] = "The following could not be deleted:\n\n";
const char kReportClosing[] = "\nReboot, then try Purgon again";

// Lines naming the run keywords that are on; none of them leaves the summary as it was.
struct RunKeywordLine {
  bool RunSettings::*flag;
  const char* text;
};
const RunKeywordLine kRunKeywordLines[] = {
    {&RunSettings::preview, "\tPreview: nothing is changed\n"},
    {&RunSettings::backup, "\tBackup of everything deleted\n"},
    {&RunSettings::restore, "\tRestore a backup\n"},
    {&RunSettings::codes, "\tExit codes for scripts\n"},
};

// The heading, then the entries like the failure report (same limit, same "more" line), then
// the closing, for which room is always kept.
std::string ListReport(const std::string& heading, const std::vector<std::string>& entries,
                       const std::string& closing) {
  BoundedText text(kMessageBufferSize);
  text.Append(heading);
  AppendListWithinLimit(text, entries.data(), entries.size(), "\n", closing.size());
  text.Append(closing);
  return text.str();
}

}  // namespace

std::string BuildOptionsSummary(const RunSettings& settings) {
  BoundedText text(kMessageBufferSize);
  text.Append("PEL Options:\n");
  AppendWordSummary(text, settings.pelOptions);
  text.Append("\nORV Options:\n");
  AppendWordSummary(text, settings.orvOptions);
  if (settings.removeLauncher) text.Append("\nRemove QLaunch");
  bool heading = false;
  for (const RunKeywordLine& line : kRunKeywordLines) {
    if (!(settings.*line.flag)) continue;
    if (!heading) text.Append("\n\nRun Options:\n");
    heading = true;
    text.Append(line.text);
  }
  return text.str();
}

std::string BuildFailureReport(const std::vector<std::string>& failures,
                               const std::string& note) {
  return ListReport(kReportHeading, failures, std::string(kReportClosing) + note);
}

std::string BuildPreviewReport(const std::vector<std::string>& found, const std::string& note,
                               bool restore) {
  const std::string what = restore ? " to put back" : " to remove";
  if (found.empty()) return "Purgon found nothing" + what + ". Nothing was changed." + note;
  const std::string heading = "Purgon found " + std::to_string(found.size()) +
                              (found.size() == 1 ? " item" : " items") + what +
                              ". Nothing was changed.\n\n";
  return ListReport(heading, found, note);
}

std::string BuildRestoreReport(const std::string& folder, size_t restored,
                               const std::vector<std::string>& failures, const std::string& problem) {
  if (!problem.empty()) return "No backup was restored: " + problem + ".";
  if (folder.empty()) return "No backup folder to restore was found.";
  const std::string count = std::to_string(restored) + (restored == 1 ? " item" : " items");
  if (failures.empty()) return "Purgon restored " + count + " from " + folder + ".";
  return ListReport("Purgon restored " + count + " from " + folder +
                        ".\nThe following could not be restored and stay in the backup:\n\n",
                    failures, "");
}

std::string BuildSuccessReport(const std::string& note) { return kSuccessText + note; }

std::string BuildLauncherNotStartedNote(const std::string& reason) {
  // The reason names a path the user's settings chose: a long one is cut, and the cut said.
  const size_t kShown = 400;
  const std::string shown = reason.size() <= kShown ? reason : reason.substr(0, kShown) + "... (cut)";
  return "\n\nQLaunch was not asked to unregister itself, only its files were deleted: " + shown + ".";
}

std::string BuildBackupRefusedNote(const std::string& reason) {
  return "\n\nNo backup could be made, so nothing that needed one was deleted: " + reason + ".";
}

std::string BuildRefusedBackupWord(const std::string& word) {
  const size_t kShown = 80;
  const std::string shown = word.size() <= kShown
                                ? word
                                : word.substr(0, kShown) + "... (" + std::to_string(word.size()) + " characters)";
  return "\"" + shown +
         "\" is not the name of a backup (a backup is named for its time: YYYYMMDD-HHMMSS, with .2, .3, "
         "... after it)";
}
