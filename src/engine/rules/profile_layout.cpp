#include "engine/rules/profile_layout.h"

#include "engine/text/text_utils.h"

namespace {

const char kClassicSuffix[] = "\\Application Data\\";

ProfileLayout ClassicLayout(const std::string& appData) {
  ProfileLayout layout{appData, kClassicSuffix};
  // "\Application Data\" is 18 characters: the search starts on the character before it.
  if (appData.size() >= 19) {
    size_t slash = appData.rfind('\\', appData.size() - 19);
    if (slash != std::string::npos) layout.root = appData.substr(0, slash);
  }
  return layout;
}

}  // namespace

ProfileLayout FindProfileLayout(const std::string& appData, const std::string& profile) {
  const std::string profileDir = WithoutTrailingBackslashes(profile);
  const std::string prefix = profileDir + "\\";
  const size_t parentSlash = profileDir.rfind('\\');
  const bool inProfile = !profileDir.empty() && appData.size() > prefix.size() &&
                         ToLowerCopy(appData.substr(0, prefix.size())) == ToLowerCopy(prefix);
  if (!inProfile || parentSlash == std::string::npos || parentSlash == 0)
    return ClassicLayout(appData);
  return ProfileLayout{profileDir.substr(0, parentSlash), "\\" + appData.substr(prefix.size())};
}

std::string AppDataFolderOf(const ProfileLayout& layout, const std::string& entry) {
  return layout.root + "\\" + entry + layout.suffix;
}
