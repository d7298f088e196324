#include "app/app_module.h"

#include <windows.h>

#include <string>
#include <vector>

#include "app/texts.h"
#include "engine/core/handles.h"
#include "engine/core/optional_calls.h"

namespace {

// The calls VersionDll makes, in UTF-16 on Windows NT and through the code page on Windows 9x
// (whose wide calls are stubs).
template <typename Char>
struct TextCalls;
template <>
struct TextCalls<wchar_t> {
  static UINT SystemFolder(wchar_t* buffer, UINT size) { return GetSystemDirectoryW(buffer, size); }
  static DWORD ProgramPath(wchar_t* buffer, DWORD size) { return GetModuleFileNameW(nullptr, buffer, size); }
  static HMODULE Load(const wchar_t* path) { return LoadLibraryW(path); }
  static const wchar_t* Dll() { return L"\\version.dll"; }
  static const wchar_t* FileVersion() { return L"\\StringFileInfo\\040904b0\\FileVersion"; }
  static constexpr const char* kSize = "GetFileVersionInfoSizeW";
  static constexpr const char* kRead = "GetFileVersionInfoW";
  static constexpr const char* kQuery = "VerQueryValueW";
};
template <>
struct TextCalls<char> {
  static UINT SystemFolder(char* buffer, UINT size) { return GetSystemDirectoryA(buffer, size); }
  static DWORD ProgramPath(char* buffer, DWORD size) { return GetModuleFileNameA(nullptr, buffer, size); }
  static HMODULE Load(const char* path) { return LoadLibraryA(path); }
  static const char* Dll() { return "\\version.dll"; }
  static const char* FileVersion() { return "\\StringFileInfo\\040904b0\\FileVersion"; }
  static constexpr const char* kSize = "GetFileVersionInfoSizeA";
  static constexpr const char* kRead = "GetFileVersionInfoA";
  static constexpr const char* kQuery = "VerQueryValueA";
};

// The version functions live in VERSION.dll, which is not one of the DLLs Windows always takes
// from its own folder: imported, a copy planted beside the program (in a downloads folder, an
// administrator's temporary folder) would be loaded at start, before anything could stop it.
// It is loaded here, when the title is built, by its full path in the system folder.
template <typename Char>
class VersionDll {
 public:
  using Calls = TextCalls<Char>;
  VersionDll() {
    Char folder[MAX_PATH] = {};
    const UINT length = Calls::SystemFolder(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH - 13) return;
    module_.Reset(Calls::Load((std::basic_string<Char>(folder) + Calls::Dll()).c_str()));
    if (!module_) return;
    sizeOf_ = reinterpret_cast<SizeOf>(GetProcAddress(module_.get(), Calls::kSize));
    read_ = reinterpret_cast<Read>(GetProcAddress(module_.get(), Calls::kRead));
    query_ = reinterpret_cast<Query>(GetProcAddress(module_.get(), Calls::kQuery));
  }
  VersionDll(const VersionDll&) = delete;
  VersionDll& operator=(const VersionDll&) = delete;

  // The file version text of the program at `path` (a version number: ASCII); empty when it
  // has none.
  std::string FileVersionOf(const Char* path) const {
    if (!sizeOf_ || !read_ || !query_) return std::string();
    DWORD ignored = 0;
    const DWORD size = sizeOf_(path, &ignored);
    if (size == 0) return std::string();
    std::vector<char> block(size);
    Char* text = nullptr;
    UINT length = 0;
    if (!read_(path, 0, size, block.data()) ||
        !query_(block.data(), Calls::FileVersion(), reinterpret_cast<void**>(&text), &length) || !text)
      return std::string();
    std::string version;
    for (const Char* c = text; *c; ++c)
      version += *c > 0 && *c < 128 ? static_cast<char>(*c) : '?';
    return version;
  }

 private:
  using SizeOf = DWORD(WINAPI*)(const Char*, LPDWORD);
  using Read = BOOL(WINAPI*)(const Char*, DWORD, DWORD, LPVOID);
  using Query = BOOL(WINAPI*)(LPCVOID, const Char*, LPVOID*, PUINT);
  ModuleHandle module_;
  SizeOf sizeOf_ = nullptr;
  Read read_ = nullptr;
  Query query_ = nullptr;
};

// The file version text of the program itself. Its own path may hold any character (a user's
// folder): read in UTF-16 where Windows can.
template <typename Char>
std::string ProgramVersion() {
  std::vector<Char> path(32768);
  const DWORD length = TextCalls<Char>::ProgramPath(path.data(), static_cast<DWORD>(path.size()));
  if (length == 0 || length >= path.size()) return std::string();
  return VersionDll<Char>().FileVersionOf(path.data());
}

}  // namespace

AppModule::AppModule() {
  UseServerState(server);
  BuildTitle();
}

std::string AppModule::BuildTitle() {
  if (!versionText.empty()) return versionText;
  title = kTitlePrefix;
  versionText = OnWindows9x() ? ProgramVersion<char>() : ProgramVersion<wchar_t>();
  title += versionText;
  return versionText;
}
