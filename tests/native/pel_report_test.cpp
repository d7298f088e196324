// The installation report's text and its 10,240-byte bound.
#include <gtest/gtest.h>

#include <string>

#include "pel/pel_report.h"

namespace {

PelLocations OneRootOneSkin() {
  PelLocations l;
  l.programFiles = "C:\\Program Files\\";
  l.programs = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\";
  l.desktop = "C:\\users\\Public\\Desktop\\";
  l.binFolder = "C:\\Program Files\\Varenta\\bin\\";
  l.appData = "C:\\users\\joe\\AppData\\Roaming\\";
  l.dataRoots = {l.appData};
  l.skins = {"Varenta"};
  return l;
}

TEST(PelReport, NineLinesForOneDataRootAndOneSkin) {
  EXPECT_EQ(BuildPelInstallationReport(OneRootOneSkin()),
            "Program Files Dir:\tC:\\Program Files\\\n"
            "Common Files Dir:\tC:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\\n"
            "Desktop Dir:\tC:\\users\\Public\\Desktop\\\n"
            "Varenta bin dir:\tC:\\Program Files\\Varenta\\bin\\\n"
            "App Data Dir(s):\n"
            "\tC:\\users\\joe\\AppData\\Roaming\\\n"
            "\n"
            "Installed Skins:\n"
            "\tVarenta\n");
}

TEST(PelReport, EmptyLocationsLeaveTheirLabelsAndAnUnresolvedDataRootATabAlone) {
  PelLocations l;
  l.dataRoots = {""};  // the current user's folder, not resolved
  EXPECT_EQ(BuildPelInstallationReport(l),
            "Program Files Dir:\t\nCommon Files Dir:\t\nDesktop Dir:\t\nVarenta bin dir:\t\n"
            "App Data Dir(s):\n\t\n\nInstalled Skins:\n");
}

size_t Count(const std::string& text, const std::string& piece) {
  size_t n = 0;
  for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++n;
  return n;
}

TEST(PelReport, ManyProfilesAreCutAtALineAndCounted) {
  PelLocations l = OneRootOneSkin();
  l.dataRoots.clear();
  for (int i = 0; i < 400; ++i)
    l.dataRoots.push_back("C:\\Documents and Settings\\user" + std::to_string(1000 + i) +
                          "\\Application Data\\");
  l.skins = {"Varenta", "Tolvik"};
  const std::string text = BuildPelInstallationReport(l);
  ASSERT_LT(text.size(), kPelReportBufferSize);
  EXPECT_GT(text.size(), kPelReportBufferSize - 100);  // the room is used
  // Whole lines only, and the last one says how many data folders and skins are missing.
  const size_t shown = Count(text, "\\Application Data\\\n");
  EXPECT_EQ(Count(text, "\\Application Data\\"), shown);
  const std::string last = "(" + std::to_string(400 - shown + 2) +
                           " more data folders or skins not shown)\n";
  ASSERT_GE(text.size(), last.size());
  EXPECT_EQ(text.substr(text.size() - last.size()), last);
  EXPECT_EQ(text.find("Installed Skins:"), std::string::npos);
}

TEST(PelReport, ManySkinsAfterAllProfilesAreCountedAlone) {
  PelLocations l = OneRootOneSkin();
  l.skins.clear();
  for (int i = 0; i < 2000; ++i) l.skins.push_back("skin" + std::to_string(i));
  const std::string text = BuildPelInstallationReport(l);
  ASSERT_LT(text.size(), kPelReportBufferSize);
  EXPECT_NE(text.find("\tC:\\users\\joe\\AppData\\Roaming\\\n\nInstalled Skins:\n\tskin0\n"),
            std::string::npos);
  const size_t shown = Count(text, "\tskin");
  const std::string last = "(" + std::to_string(2000 - shown) + " more data folders or skins not shown)\n";
  EXPECT_EQ(text.substr(text.size() - last.size()), last);
}

TEST(PelReport, AReportThatFitsExactlyGetsNoCountLine) {
  PelLocations l = OneRootOneSkin();
  const size_t base = BuildPelInstallationReport(l).size();
  // One more skin whose line fills the buffer to its last byte before the terminator.
  l.skins.push_back(std::string(kPelReportBufferSize - 1 - base - 2, 's'));
  const std::string text = BuildPelInstallationReport(l);
  EXPECT_EQ(text.size(), kPelReportBufferSize - 1);
  EXPECT_EQ(text.find("not shown"), std::string::npos);
  // One byte more and the skin makes way for the count.
  l.skins.back() += 's';
  const std::string cut = BuildPelInstallationReport(l);
  EXPECT_EQ(cut.substr(base), "(1 more data folders or skins not shown)\n");
}

}  // namespace
