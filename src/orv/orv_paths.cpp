#include "orv/orv_paths.h"

#include "engine/path_names.h"
#include "engine/text_utils.h"

bool IsUsableDataFolderName(const std::string& name) { return IsPlainName(name); }

bool IsUsableShortcutName(const std::string& name) {
  return name.find_first_of("\\/:") == std::string::npos && name != "." && name != "..";
}

bool IsLauncherExecutablePath(const std::string& path) {
  if (PathRootLength(path) == 0) return false;
  const std::string folder = FolderOfPath(path);
  return ToLowerCopy(path.substr(folder.size())) == "qlaunch.exe";
}

std::string FolderOfPath(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}
