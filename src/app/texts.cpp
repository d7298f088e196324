#include "app/texts.h"

#include "engine/bounded_text.h"

const char kUsageCaption[] = "Usage";
const char kUsageText[] =
    "purgon [/l] [/s] [/v] [/orv options] [/pel options] [/ql]\n\n"
    "/l\t- write to purgon.log\n/s\t- silent mode\n/v\t- verbose mode\n\n"
    "/ql\t- remove QLaunch\n\n"
    "Options (add together):\n"
    " 1 - (not used)\n 2 - All users\n 4 - Remove desktop shortcuts\n 8 - Remove start menu\n"
    "16 - Remove cstore\n32 - Shutdown client\n64 - Remove prefs\n";
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

}  // namespace

std::string BuildOptionsSummary(const RunSettings& settings) {
  BoundedText text(kMessageBufferSize);
  text.Append("PEL Options:\n");
  AppendWordSummary(text, settings.pelOptions);
  text.Append("\nORV Options:\n");
  AppendWordSummary(text, settings.orvOptions);
  if (settings.removeLauncher) text.Append("\nRemove QLaunch");
  return text.str();
}

std::string BuildFailureReport(const std::vector<std::string>& failures,
                               const std::string& note) {
  BoundedText text(kMessageBufferSize);
  text.Append(kReportHeading);
  AppendListWithinLimit(text, failures.data(), failures.size(), "\n",
                        sizeof(kReportClosing) - 1 + note.size());
  text.Append(kReportClosing);
  text.Append(note);
  return text.str();
}

std::string BuildSuccessReport(const std::string& note) { return kSuccessText + note; }
