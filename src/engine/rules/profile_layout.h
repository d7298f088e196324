#pragma once
#include <string>
#include <vector>

// Where every user's application-data folder lies: root + "\" + profile entry + suffix.
struct ProfileLayout {
  std::string root;    // the folder holding all profiles, without a trailing backslash
  std::string suffix;  // from the profile folder to its application-data folder, "\...\"
};

// Derives the layout from the current user's application-data folder (ending in a backslash)
// and profile folder. When the application-data folder lies inside the profile folder (the
// layout of every Windows since Vista, and of Wine), the root is the profile's parent and the
// suffix the application-data path relative to the profile. Otherwise the classic rule holds:
// the root is the application-data path cut before the last backslash at or before index
// length - 19 (the whole path when there is none), and the suffix "\Application Data\".
ProfileLayout FindProfileLayout(const std::string& appData, const std::string& profile);

// The application-data folder of one profile entry.
std::string AppDataFolderOf(const ProfileLayout& layout, const std::string& entry);
