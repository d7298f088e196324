// The installation report's text and its 10,240-byte bound.
#include <gtest/gtest.h>

#include <string>
#include <vector>

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

// Splits a report into its two lists and checks that each shows a prefix of its entries,
// whole lines only, and says how many of the rest it left out. Returns "" when all holds.
std::string CheckLists(const std::string& text, const PelLocations& l) {
  const std::string rootsHeading = "App Data Dir(s):\n", skinsHeading = "\nInstalled Skins:\n";
  const size_t roots = text.find(rootsHeading), skins = text.rfind(skinsHeading);
  if (roots == std::string::npos || skins == std::string::npos || skins < roots)
    return "a heading is missing:\n" + text.substr(text.size() > 200 ? text.size() - 200 : 0);
  if (text.size() >= kPelReportBufferSize) return "the report outgrew its buffer";
  const struct {
    std::string body;
    const std::vector<std::string>& entries;
    const char* name;
  } lists[] = {{text.substr(roots + rootsHeading.size(), skins - roots - rootsHeading.size()),
                l.dataRoots, "data folders"},
               {text.substr(skins + skinsHeading.size()), l.skins, "skins"}};
  for (const auto& list : lists) {
    size_t shown = 0, pos = 0;
    std::string rest = list.body;
    while (pos < rest.size() && rest[pos] == '\t') {
      const size_t end = rest.find('\n', pos);
      if (end == std::string::npos) return std::string(list.name) + ": a cut line";
      if (shown >= list.entries.size() || rest.compare(pos + 1, end - pos - 1, list.entries[shown]) != 0)
        return std::string(list.name) + ": line " + std::to_string(shown) + " is not its entry";
      ++shown;
      pos = end + 1;
    }
    const size_t left = list.entries.size() - shown;
    const std::string more = left ? "(" + std::to_string(left) + " more not shown)\n" : "";
    if (rest.substr(pos) != more)
      return std::string(list.name) + ": " + std::to_string(left) + " left out, the list ends \"" +
             rest.substr(pos) + "\"";
  }
  return "";
}

// Long enough lists are cut; every heading stays and each list says what it left out.
TEST(PelReport, EachCutListSaysHowManyItLeftOut) {
  PelLocations l = OneRootOneSkin();
  l.dataRoots.clear();
  for (int i = 0; i < 400; ++i)
    l.dataRoots.push_back("C:\\Documents and Settings\\user" + std::to_string(1000 + i) +
                          "\\Application Data\\");
  l.skins = {"Varenta", "Tolvik"};
  std::string text = BuildPelInstallationReport(l);
  EXPECT_EQ(CheckLists(text, l), "");
  EXPECT_GT(text.size(), kPelReportBufferSize - 100);  // the room is used
  EXPECT_NE(text.find(" more not shown)\n\nInstalled Skins:\n\tVarenta\n\tTolvik\n"), std::string::npos);

  l = OneRootOneSkin();
  l.skins.clear();
  for (int i = 0; i < 2000; ++i) l.skins.push_back("skin" + std::to_string(i));
  text = BuildPelInstallationReport(l);
  EXPECT_EQ(CheckLists(text, l), "");
  EXPECT_NE(text.find("\tC:\\users\\joe\\AppData\\Roaming\\\n\nInstalled Skins:\n\tskin0\n"),
            std::string::npos);
}

// About a hundred profiles and no skins, their lines ending at every distance from the end of
// the buffer: the skins' heading was once dropped without a word when the data folders left
// it a few bytes too few. With a few skins as well, and with lists that fit exactly.
TEST(PelReport, DataFoldersEndingNearTheBufferEndNeverHideTheSkins) {
  for (size_t skinCount : {0, 1, 3}) {
    for (size_t tail = 0; tail < 160; ++tail) {
      PelLocations l = OneRootOneSkin();
      l.skins.clear();
      for (size_t i = 0; i < skinCount; ++i) l.skins.push_back("skin" + std::to_string(i));
      const size_t base = BuildPelInstallationReport(l).size() - l.dataRoots[0].size() - 2;
      l.dataRoots.clear();
      size_t used = base;
      // Lines of 100 bytes, then one that ends `tail` bytes before the buffer's last byte.
      while (used + 101 + 100 < kPelReportBufferSize - 1 - tail) {
        l.dataRoots.push_back("C:\\users\\" + std::string(88, 'u') + "\\AppData\\");
        used += l.dataRoots.back().size() + 2;
      }
      const size_t last = kPelReportBufferSize - 1 - tail - used;
      if (last >= 2 + 1) l.dataRoots.push_back(std::string(last - 2, 'r'));
      const std::string text = BuildPelInstallationReport(l);
      ASSERT_EQ(CheckLists(text, l), "") << skinCount << " skins, " << tail << " bytes left";
    }
  }
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
  EXPECT_EQ(cut.substr(base), "(1 more not shown)\n");
}

}  // namespace
