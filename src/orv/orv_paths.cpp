#include "orv/orv_paths.h"

#include "engine/text_utils.h"

namespace {

bool HoldsAnyOf(const std::string& text, const char* characters) {
  return text.find_first_of(characters) != std::string::npos;
}

bool IsDotName(const std::string& name) { return name == "." || name == ".."; }

}  // namespace

bool IsUsableDataFolderName(const std::string& name) { return IsPlainFileName(name); }

bool IsUsableShortcutName(const std::string& name) { return !HoldsAnyOf(name, "/:"); }

bool IsPlainFileName(const std::string& name) {
  return !name.empty() && !IsDotName(name) && !HoldsAnyOf(name, "\\/:");
}

bool IsLauncherExecutablePath(const std::string& path) {
  const bool driveAbsolute = path.size() >= 3 && path[1] == ':' && path[2] == '\\' &&
                             ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
  const bool uncAbsolute = path.size() >= 3 && path[0] == '\\' && path[1] == '\\' && path[2] != '\\';
  if (!driveAbsolute && !uncAbsolute) return false;
  const std::string folder = FolderOfPath(path);
  return ToLowerCopy(path.substr(folder.size())) == "qlaunch.exe";
}

std::string FolderOfPath(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}
