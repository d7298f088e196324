#include "pel/pel_report.h"

#include <vector>

#include "engine/bounded_text.h"

namespace {

struct ReportLine {
  std::string text;  // without its line break
  bool listed;       // a data folder or a skin, counted when left out
};

std::vector<ReportLine> ReportLines(const PelLocations& locations) {
  std::vector<ReportLine> lines = {
      {"Program Files Dir:\t" + locations.programFiles, false},
      // The label is historical: the folder is the start-menu Programs folder.
      {"Common Files Dir:\t" + locations.programs, false},
      {"Desktop Dir:\t" + locations.desktop, false},
      {"Varenta bin dir:\t" + locations.binFolder, false},
      {"App Data Dir(s):", false},
  };
  for (const std::string& root : locations.dataRoots) lines.push_back({"\t" + root, true});
  lines.push_back({"", false});
  lines.push_back({"Installed Skins:", false});
  for (const std::string& skin : locations.skins) lines.push_back({"\t" + skin, true});
  return lines;
}

std::string LeftOutLine(size_t count) {
  return "(" + std::to_string(count) + " more data folders or skins not shown)\n";
}

}  // namespace

std::string BuildPelInstallationReport(const PelLocations& locations) {
  const std::vector<ReportLine> lines = ReportLines(locations);
  size_t listedLeft = 0;  // data folders and skins not yet appended
  for (const ReportLine& line : lines) listedLeft += line.listed ? 1 : 0;

  BoundedText text(kPelReportBufferSize);
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string piece = lines[i].text + "\n";
    const size_t listedAfter = listedLeft - (lines[i].listed ? 1 : 0);
    // Room stays for the closing count line whenever something listed would follow.
    const size_t reserve = listedAfter > 0 ? LeftOutLine(listedAfter).size() : 0;
    if (!text.Fits(piece.size() + reserve)) {
      if (listedLeft > 0) text.Append(LeftOutLine(listedLeft));  // room was kept for it
      break;
    }
    text.Append(piece);
    listedLeft = listedAfter;
  }
  return text.str();
}
