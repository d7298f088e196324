#include "pel/pel_paths.h"

#include <vector>

#include "engine/rules/path_names.h"
#include "engine/text/text_utils.h"

namespace {

std::vector<std::string> SplitFolders(const std::string& path, size_t from) {
  std::vector<std::string> parts;
  std::string part;
  for (size_t i = from; i < path.size(); ++i) {
    if (path[i] == '\\') {
      parts.push_back(part);
      part.clear();
    } else {
      part += path[i];
    }
  }
  return parts;  // the path ends in a backslash, so nothing is left in `part`
}

}  // namespace

bool IsFolderBelowRoot(const std::string& path) {
  if (path.empty() || path.back() != '\\') return false;
  const size_t root = PathRootLength(path);
  if (root == 0 || root >= path.size()) return false;
  for (const std::string& name : SplitFolders(path, root))
    if (!IsPlainName(name)) return false;
  return true;
}

bool InstallFolderFromBinDir(const std::string& binDir, std::string& installFolder) {
  const size_t kBinLength = 4;  // "bin\"
  if (binDir.size() <= kBinLength) return false;
  const std::string rest = binDir.substr(0, binDir.size() - kBinLength);
  if (ToLowerCopy(binDir.substr(rest.size())) != "bin\\") return false;
  if (!IsFolderBelowRoot(rest) || !FitsBuffer(rest, kPelPathBufferSize)) return false;
  installFolder = rest;
  return true;
}

bool TempImagesFolder(const std::string& tempPath, std::string& folder) {
  if (tempPath.empty()) return false;
  std::string result = tempPath;
  if (result.back() != '\\') result += '\\';
  result += "q.images\\";
  if (!FitsBuffer(result, kPelPathBufferSize)) return false;
  folder = result;
  return true;
}

bool AcrobatPluginFolder(const std::string& installPath, std::string& folder) {
  // Appended as it is: Acrobat keeps its folder without a trailing backslash.
  const std::string result = installPath + "\\Plug_ins\\Varenta\\";
  // A relative value would name a folder wherever the program happens to run.
  if (PathRootLength(installPath + "\\") == 0 || !FitsBuffer(result, kPelPathBufferSize))
    return false;
  folder = result;
  return true;
}

bool RunValuesNamedExactly(const BrandEdition& edition) {
  return ToLowerCopy(edition.editionId) == "gw";
}
