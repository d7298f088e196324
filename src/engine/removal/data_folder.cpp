#include "engine/removal/data_folder.h"

#include "engine/core/run_settings.h"
#include "engine/text/wide_text.h"

void CleanClientDataFolder(const Remover& remove, const std::wstring& folder, int32_t optionWord,
                           const char* const* alwaysRemoved, size_t alwaysRemovedCount) {
  const bool contentStore = HasOptions(optionWord, OPT_CONTENT_STORE);
  const bool prefs = HasOptions(optionWord, OPT_PREFS);
  if (contentStore && prefs) {
    remove.RemoveDirTree(folder);
    return;
  }
  if (contentStore) {
    remove.RemoveFile(folder + L"ncstore_db.xml");
    remove.RemoveDirTree(folder + L"thumbnails\\");
  }
  if (prefs) remove.RemoveFile(folder + L"nprefs_db.xml");
  for (size_t i = 0; i < alwaysRemovedCount; ++i) remove.RemoveFile(folder + Widen(alwaysRemoved[i]));
}
