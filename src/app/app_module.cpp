#include "app/app_module.h"

#include <windows.h>

#include <vector>

#include "app/texts.h"

namespace {

AppModule theApp;

}  // namespace

AppModule& TheApp() { return theApp; }

CleanupContext& TheCleanupContext() { return theApp; }

RunSettings& TheRunSettings() { return theApp; }

ServerState& Server() { return theApp; }

const char* ProgramTitle() { return theApp.title.c_str(); }

AppModule::AppModule() { BuildTitle(); }

std::string AppModule::BuildTitle() {
  if (!versionText.empty()) return versionText;
  title = kTitlePrefix;
  char path[MAX_PATH] = {};
  if (!GetModuleFileNameA(nullptr, path, MAX_PATH)) return versionText;
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
  if (size == 0) return versionText;
  std::vector<char> block(size);
  char* text = nullptr;
  UINT length = 0;
  if (GetFileVersionInfoA(path, 0, size, block.data()) &&
      VerQueryValueA(block.data(), "\\StringFileInfo\\040904b0\\FileVersion",
                     reinterpret_cast<void**>(&text), &length) &&
      text) {
    versionText = text;
    title += versionText;
  }
  return versionText;
}
