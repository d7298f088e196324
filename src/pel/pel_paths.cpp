#include "pel/pel_paths.h"

#include <cctype>
#include <vector>

#include "engine/text_utils.h"

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

bool IsPlainName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (char c : name) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u < 32 || std::string("/:*?\"<>|").find(c) != std::string::npos) return false;
  }
  return true;
}

// The length of the root ("X:\" or "\\server\share\"), or 0 when the path has none.
size_t RootLength(const std::string& path) {
  if (path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' &&
      path[2] == '\\')
    return 3;
  if (path.compare(0, 2, "\\\\") != 0) return 0;
  const size_t server = path.find('\\', 2);
  if (server == std::string::npos || server == 2) return 0;
  const size_t share = path.find('\\', server + 1);
  if (share == std::string::npos || share == server + 1) return 0;
  if (!IsPlainName(path.substr(2, server - 2)) ||
      !IsPlainName(path.substr(server + 1, share - server - 1)))
    return 0;
  return share + 1;
}

}  // namespace

bool IsFolderBelowRoot(const std::string& path) {
  if (path.empty() || path.back() != '\\') return false;
  const size_t root = RootLength(path);
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
  if (RootLength(installPath + "\\") == 0 || !FitsBuffer(result, kPelPathBufferSize))
    return false;
  folder = result;
  return true;
}

bool RunValuesNamedExactly(const BrandEdition& edition) {
  return ToLowerCopy(edition.editionId) == "gw";
}
