#include "engine/rules/account_rules.h"

#include "engine/rules/path_names.h"
#include "engine/text/text_utils.h"

namespace {

const char kUserAccountPrefix[] = "S-1-5-21-";
const char kProfileVariable[] = "%userprofile%";

}  // namespace

bool IsUserAccountSid(const std::string& name) {
  const std::string prefix = kUserAccountPrefix;
  if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return false;
  for (size_t i = prefix.size(); i < name.size(); ++i)
    if ((name[i] < '0' || name[i] > '9') && name[i] != '-') return false;
  return true;
}

bool IsUsableProfileFolder(const std::string& path, const ProtectedFolders& systemFolders) {
  if (PathRootLength(path) == 0) return false;
  ProtectedFolders folders;
  folders.folders = systemFolders.folders;  // the folders themselves and those above them only
  return !IsRefusedTree(path, folders);
}

std::string AccountFolderPath(const std::string& value, const std::string& profile) {
  std::string path = value;
  const std::string variable = kProfileVariable;
  for (size_t at = ToLowerCopy(path).find(variable); at != std::string::npos;
       at = ToLowerCopy(path).find(variable, at + profile.size()))
    path.replace(at, variable.size(), profile);
  if (path.find('%') != std::string::npos || PathRootLength(path) == 0) return std::string();
  const std::string inside = NormalizeFolderPath(path);
  const std::string base = NormalizeFolderPath(profile) + "\\";
  if (PathRootLength(profile) == 0 || inside.compare(0, base.size(), base) != 0 ||
      inside.size() <= base.size())
    return std::string();
  if (path.back() != '\\') path += '\\';
  return path;
}
