#include "engine/data_folder.h"

#include "engine/run_settings.h"
#include "engine/files.h"

void CleanClientDataFolder(const std::string& folder, int32_t optionWord,
                           const char* const* alwaysRemoved, size_t alwaysRemovedCount) {
  const bool contentStore = HasOptions(optionWord, OPT_CONTENT_STORE);
  const bool prefs = HasOptions(optionWord, OPT_PREFS);
  if (contentStore && prefs) {
    RemoveDirTree(folder);
    return;
  }
  if (contentStore) {
    RemoveFile(folder + "ncstore_db.xml");
    RemoveDirTree(folder + "thumbnails\\");
  }
  if (prefs) RemoveFile(folder + "nprefs_db.xml");
  for (size_t i = 0; i < alwaysRemovedCount; ++i) RemoveFile(folder + alwaysRemoved[i]);
}
