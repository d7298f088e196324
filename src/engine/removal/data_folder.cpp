#include "engine/removal/data_folder.h"

#include "engine/removal/file_removal.h"
#include "engine/core/run_settings.h"
#include "engine/text/wide_text.h"

void CleanClientDataFolder(const std::wstring& folder, int32_t optionWord,
                           const char* const* alwaysRemoved, size_t alwaysRemovedCount) {
  const bool contentStore = HasOptions(optionWord, OPT_CONTENT_STORE);
  const bool prefs = HasOptions(optionWord, OPT_PREFS);
  if (contentStore && prefs) {
    RemoveDirTree(folder);
    return;
  }
  if (contentStore) {
    RemoveFile(folder + L"ncstore_db.xml");
    RemoveDirTree(folder + L"thumbnails\\");
  }
  if (prefs) RemoveFile(folder + L"nprefs_db.xml");
  for (size_t i = 0; i < alwaysRemovedCount; ++i) RemoveFile(folder + Widen(alwaysRemoved[i]));
}
