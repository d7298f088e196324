#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/texts.h"

namespace {

TEST(OptionsSummary, ListsTheLinesOfEachWordInBitOrder) {
  RunSettings s;
  s.pelOptions = 36;
  EXPECT_EQ(BuildOptionsSummary(s),
            "PEL Options:\n\tAll binaries and registry entries\n\tRemove Desktop Shortcuts\n"
            "\tShutdown Client\n\nORV Options:\n\t(none)");
}

TEST(OptionsSummary, EveryBitAndTheLauncher) {
  RunSettings s;
  s.pelOptions = -1;
  s.orvOptions = 16;
  s.removeLauncher = true;
  EXPECT_EQ(BuildOptionsSummary(s),
            "PEL Options:\n\tAll binaries and registry entries\n\tAll Users\n"
            "\tRemove Desktop Shortcuts\n\tRemove Program Shortcuts\n\tRemove CStore\n"
            "\tShutdown Client\n\tRemove Prefs\nORV Options:\n"
            "\tAll binaries and registry entries\n\tRemove CStore\n\nRemove QLaunch");
}

TEST(OptionsSummary, RunKeywordsAreNamedAfterTheUnchangedText) {
  RunSettings s;
  s.orvOptions = 1;
  const std::string plain = BuildOptionsSummary(s);
  s.preview = s.codes = true;
  EXPECT_EQ(BuildOptionsSummary(s),
            plain + "\n\nRun Options:\n\tPreview: nothing is changed\n\tExit codes for scripts\n");
}

TEST(Usage, TheOriginalTextComesFirstAndTheRunKeywordsAfterIt) {
  const std::string usage = kUsageText;
  const std::string original =
      "purgon [/l] [/s] [/v] [/orv options] [/pel options] [/ql]\n\n/l\t- write to purgon.log\n"
      "/s\t- silent mode\n/v\t- verbose mode\n\n/ql\t- remove QLaunch\n\nOptions (add together):\n"
      " 1 - (not used)\n 2 - All users\n 4 - Remove desktop shortcuts\n 8 - Remove start menu\n"
      "16 - Remove cstore\n32 - Shutdown client\n64 - Remove prefs\n";
  EXPECT_EQ(usage.substr(0, original.size()), original);
  for (const char* keyword : {"\n/preview\t", "\n/backup\t", "\n/restore\t", "\n/codes\t"})
    EXPECT_NE(usage.find(keyword, original.size() - 1), std::string::npos) << keyword;
}

TEST(PreviewReport, CountsListsLikeTheFailureReportOrSaysNothingWasFound) {
  EXPECT_EQ(BuildPreviewReport({}), "Purgon found nothing to remove. Nothing was changed.");
  EXPECT_EQ(BuildPreviewReport({"a", "b"}),
            "Purgon found 2 items to remove. Nothing was changed.\n\na\nb\n");
  const std::vector<std::string> many(500, std::string(30, 'x'));
  const std::string report = BuildPreviewReport(many);
  EXPECT_LT(report.size(), kMessageBufferSize);
  EXPECT_EQ(report.compare(0, 28, "Purgon found 500 items to re"), 0);
  EXPECT_NE(report.find(" more not shown)\n"), std::string::npos);
}

TEST(OptionsSummary, BitOneAloneAddsOnlyTheRemovalLine) {
  RunSettings s;
  s.orvOptions = 1;
  EXPECT_EQ(BuildOptionsSummary(s),
            "PEL Options:\n\t(none)\nORV Options:\n\tAll binaries and registry entries\n");
}

TEST(FailureReport, ListsEntriesInOrderBetweenHeadingAndClosing) {
  EXPECT_EQ(BuildFailureReport({"a", "b", "c"}),
            "The following could not be deleted:\n\na\nb\nc\n\nReboot, then try Purgon again");
}

TEST(FailureReport, AnOverlongListIsCutToWholeEntriesAndACount) {
  std::vector<std::string> failures;
  for (int i = 0; i < 5000; ++i)
    failures.push_back("C:\\Program Files\\Varenta\\" + std::string(200, 'x') + std::to_string(i));
  const std::string report = BuildFailureReport(failures);
  ASSERT_LE(report.size(), kMessageBufferSize - 1);
  const std::string heading = "The following could not be deleted:\n\n";
  const std::string closing = "\nReboot, then try Purgon again";
  ASSERT_EQ(report.compare(0, heading.size(), heading), 0);
  ASSERT_EQ(report.compare(report.size() - closing.size(), closing.size(), closing), 0);
  // Whole entries, in order, then the count of the rest.
  size_t kept = 0;
  size_t pos = heading.size();
  while (report.compare(pos, failures[kept].size() + 1, failures[kept] + "\n") == 0) {
    pos += failures[kept].size() + 1;
    ++kept;
  }
  EXPECT_GT(kept, 10u);
  EXPECT_EQ(report.substr(pos), "(" + std::to_string(5000 - kept) + " more not shown)\n" + closing);
  // Not one more entry would have fitted beside the count line.
  EXPECT_GT(report.size() + failures[kept].size() + 1, kMessageBufferSize - 1);
}

TEST(FailureReport, ASingleEntryLargerThanTheBufferIsCountedNotCut) {
  const std::string report = BuildFailureReport({std::string(10000, 'y')});
  EXPECT_EQ(report,
            "The following could not be deleted:\n\n(1 more not shown)\n\nReboot, then try Purgon again");
}

TEST(FailureReport, AListThatJustFitsIsShownWhole) {
  const std::string fixed = "The following could not be deleted:\n\n\nReboot, then try Purgon again";
  const std::string entry(kMessageBufferSize - 1 - fixed.size() - 1, 'z');
  const std::string report = BuildFailureReport({entry});
  EXPECT_EQ(report.size(), kMessageBufferSize - 1);
  EXPECT_NE(report.find(entry + "\n"), std::string::npos);
}

// The note that the log was refused ends either report, and never pushes the failure report
// past its buffer.
TEST(FailureReport, TheLogNoteEndsBothReportsAndAlwaysFits) {
  EXPECT_EQ(BuildSuccessReport(kLogRefusedNote), std::string(kSuccessText) + kLogRefusedNote);
  EXPECT_EQ(BuildSuccessReport(), kSuccessText);
  std::vector<std::string> failures(5000, "C:\\Program Files\\Varenta\\" + std::string(200, 'x'));
  const std::string report = BuildFailureReport(failures, kLogRefusedNote);
  ASSERT_LE(report.size(), kMessageBufferSize - 1);
  const std::string tail = std::string("\nReboot, then try Purgon again") + kLogRefusedNote;
  ASSERT_GT(report.size(), tail.size());
  EXPECT_EQ(report.substr(report.size() - tail.size()), tail);
  EXPECT_NE(report.find(" more not shown)\n"), std::string::npos);
}

}  // namespace
