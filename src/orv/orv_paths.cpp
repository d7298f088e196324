#include "orv/orv_paths.h"

#include "engine/rules/path_names.h"
#include "engine/text/text_utils.h"

bool IsUsableDataFolderName(const std::string& name) { return IsPlainName(name); }

bool IsUsableShortcutName(const std::string& name) {
  return name.find_first_of("\\/:") == std::string::npos && name != "." && name != "..";
}

bool IsLauncherExecutablePath(const std::string& path) {
  if (PathRootLength(path) == 0) return false;
  const std::string folder = FolderOfPath(path);
  return ToLowerCopy(path.substr(folder.size())) == "qlaunch.exe";
}

