#include "pel/pel_report.h"

#include <vector>

#include "engine/text/bounded_text.h"

namespace {

const char kSkinsHeading[] = "\nInstalled Skins:\n";

// One line per folder or skin: a tab, then the name.
std::vector<std::string> Indented(const std::vector<std::string>& names) {
  std::vector<std::string> lines;
  lines.reserve(names.size());
  for (const std::string& name : names) lines.push_back("\t" + name);
  return lines;
}

// The bytes the "(N more not shown)" line of a list of `count` entries can take at most.
size_t MoreLineRoom(size_t count) {
  return count ? ("(" + std::to_string(count) + " more not shown)\n").size() : 0;
}

}  // namespace

std::string BuildPelInstallationReport(const PelLocations& locations) {
  BoundedText text(kPelReportBufferSize);
  text.Append("Program Files Dir:\t" + locations.programFiles + "\n");
  // The label is historical: the folder is the start-menu Programs folder.
  text.Append("Common Files Dir:\t" + locations.programs + "\n");
  text.Append("Desktop Dir:\t" + locations.desktop + "\n");
  text.Append("Varenta bin dir:\t" + locations.binFolder + "\n");
  text.Append("App Data Dir(s):\n");
  // Each list is cut on its own and says how much of it was left out; the skins' heading and
  // the line for left-out skins always keep their room behind the data folders.
  const std::vector<std::string> roots = Indented(locations.dataRoots);
  const std::vector<std::string> skins = Indented(locations.skins);
  const size_t skinsRoom = sizeof(kSkinsHeading) - 1 + MoreLineRoom(skins.size());
  AppendListWithinLimit(text, roots.data(), roots.size(), "\n", skinsRoom);
  text.Append(kSkinsHeading);
  AppendListWithinLimit(text, skins.data(), skins.size(), "\n", 0);
  return text.str();
}
