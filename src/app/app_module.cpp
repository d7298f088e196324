#include "app/app_module.h"

#include <windows.h>

#include <vector>

#include "app/texts.h"

namespace {

// The version functions live in VERSION.dll, which is not one of the DLLs Windows always takes
// from its own folder: imported, a copy planted beside the program (in a downloads folder, an
// administrator's temporary folder) would be loaded at start, before anything could stop it.
// It is loaded here, when the title is built, by its full path in the system folder.
class VersionDll {
 public:
  VersionDll() {
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH - 13) return;
    module_ = LoadLibraryW((std::wstring(folder) + L"\\version.dll").c_str());
    if (!module_) return;
    sizeOf_ = reinterpret_cast<SizeOf>(GetProcAddress(module_, "GetFileVersionInfoSizeW"));
    read_ = reinterpret_cast<Read>(GetProcAddress(module_, "GetFileVersionInfoW"));
    query_ = reinterpret_cast<Query>(GetProcAddress(module_, "VerQueryValueW"));
  }
  ~VersionDll() {
    if (module_) FreeLibrary(module_);
  }
  VersionDll(const VersionDll&) = delete;
  VersionDll& operator=(const VersionDll&) = delete;

  // The file version text of the program at `path` (a version number: ASCII); empty when it
  // has none.
  std::string FileVersionOf(const wchar_t* path) const {
    if (!sizeOf_ || !read_ || !query_) return std::string();
    DWORD ignored = 0;
    const DWORD size = sizeOf_(path, &ignored);
    if (size == 0) return std::string();
    std::vector<char> block(size);
    wchar_t* text = nullptr;
    UINT length = 0;
    if (!read_(path, 0, size, block.data()) ||
        !query_(block.data(), L"\\StringFileInfo\\040904b0\\FileVersion",
                reinterpret_cast<void**>(&text), &length) ||
        !text)
      return std::string();
    std::string version;
    for (const wchar_t* c = text; *c; ++c) version += *c < 128 ? static_cast<char>(*c) : '?';
    return version;
  }

 private:
  using SizeOf = DWORD(WINAPI*)(LPCWSTR, LPDWORD);
  using Read = BOOL(WINAPI*)(LPCWSTR, DWORD, DWORD, LPVOID);
  using Query = BOOL(WINAPI*)(LPCVOID, LPCWSTR, LPVOID*, PUINT);
  HMODULE module_ = nullptr;
  SizeOf sizeOf_ = nullptr;
  Read read_ = nullptr;
  Query query_ = nullptr;
};

AppModule theApp;

}  // namespace

AppModule& TheApp() { return theApp; }

AppModule::AppModule() {
  UseServerState(server);
  UseCleanupContext(cleanup);
  BuildTitle();
}

std::string AppModule::BuildTitle() {
  if (!versionText.empty()) return versionText;
  title = kTitlePrefix;
  // The program's own path may hold any character (a user's folder): read in UTF-16.
  std::vector<wchar_t> path(32768);
  const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  if (length == 0 || length >= path.size()) return versionText;
  versionText = VersionDll().FileVersionOf(path.data());
  title += versionText;
  return versionText;
}
