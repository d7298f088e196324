#include <windows.h>

#include <string>

#include "engine/registry/registry.h"
#include "engine/core/handles.h"
#include "engine/text/wide_text.h"
#include "pel/pel_paths.h"
#include "pel/pel_removal.h"

// Acrobat keeps its installation folder in the default value of its own InstallPath key,
// which is only read.
void RemoveAcrobatPlugin(const Remover& remove, const char* product, const char* version) {
  const std::string keyPath =
      std::string("SOFTWARE\\Adobe\\") + product + "\\" + version + "\\InstallPath";
  if (!FitsBuffer(keyPath, kPelPathBufferSize)) return;
  RegKey key;
  if (!remove.OpenKey(HKEY_LOCAL_MACHINE, Widen(keyPath), KEY_READ, key)) return;
  const std::wstring installPath = ReadRegStringWithin(key.get(), nullptr, kPelPathBufferSize);
  std::string pluginFolder;
  if (AcrobatPluginFolder(Utf8Of(installPath), pluginFolder)) remove.RemoveDirTree(WideOfUtf8(pluginFolder));
}
