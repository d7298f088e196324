#include "engine/cleanup_context.h"

#include <cstdint>

const char* const RootKeyNames[4] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER",
                                     "HKEY_LOCAL_MACHINE", "HKEY_USERS"};

namespace {

// Each label is 14 characters, each status 6, so the text starts at the same column.
const char* const kLabels[] = {"Delete Reg Key", "Delete Reg Val", "Remove File   ",
                               "Remove Dir    ", "Restore RegKey", "Restore RegVal",
                               "Restore File  ", "Restore Dir   ",
                               "Load User Reg "};
const int kLabelCount = sizeof(kLabels) / sizeof(kLabels[0]);
const char kStatusOk[] = "OK    ";
const char kStatusFailed[] = "failed";
const char kStatusFound[] = "found ";

}  // namespace

const char* RootKeyName(const void* root) {
  // Predefined handles are the 32-bit values 0x80000000..0x80000003, sign-extended where
  // pointers are wider; opened keys are ordinary small handle values.
  const intptr_t value = reinterpret_cast<intptr_t>(root);
  const intptr_t first = static_cast<intptr_t>(static_cast<int32_t>(0x80000000u));
  if (value < first || value > first + 3) return nullptr;
  return RootKeyNames[value - first];
}

bool CleanupContext::OpenLog(const char* path) {
  CloseLog();
  logFile = std::fopen(path, "wt");
  return logFile != nullptr;
}

void CleanupContext::CloseLog() {
  if (logFile) std::fclose(logFile);
  logFile = nullptr;
}

void CleanupContext::WriteLine(int kind, const char* status, const std::string& text) {
  if (!logFile) return;
  const char* label = kind >= 0 && kind < kLabelCount ? kLabels[kind] : "";
  std::fprintf(logFile, "%s: %s %s\n", label, status, text.c_str());
  // Flushed line by line so that a run killed half way keeps the trace of what it deleted.
  std::fflush(logFile);
}

void CleanupContext::ReportResult(int kind, bool succeeded, const std::string& text) {
  WriteLine(kind, succeeded ? kStatusOk : kStatusFailed, text);
  if (!succeeded) failures.push_back(text);
}

void CleanupContext::ReportFound(int kind, const std::string& text) {
  WriteLine(kind, kStatusFound, text);
  found.push_back(text);
}

void CleanupContext::ReportRegFound(int kind, const void* root, const std::string& text) {
  const char* rootName = RootKeyName(root);
  if (rootName) ReportFound(kind, std::string(rootName) + "\\" + text);
}

void CleanupContext::ReportRegistry(int kind, const void* root, const std::string& text,
                                    bool succeeded) {
  if (succeeded && !logFile) return;
  const char* rootName = RootKeyName(root);
  if (!rootName) return;
  ReportResult(kind, succeeded, std::string(rootName) + "\\" + text);
}

void CleanupContext::ReportRegKey(const void* root, const std::string& subKey, bool succeeded) {
  ReportRegistry(LOG_REG_KEY, root, subKey, succeeded);
}

void CleanupContext::ReportRegValue(const void* root, const std::string& text, bool succeeded) {
  ReportRegistry(LOG_REG_VALUE, root, text, succeeded);
}

void CleanupContext::ReportFile(const std::string& path, bool succeeded) {
  if (succeeded && !logFile) return;
  ReportResult(LOG_FILE, succeeded, path);
}

void CleanupContext::ReportDir(const std::string& path, bool succeeded) {
  if (succeeded && !logFile) return;
  ReportResult(LOG_DIR, succeeded, path);
}

void CleanupContext::ReportUserHive(const std::string& path, bool succeeded) {
  if (succeeded && !logFile) return;
  ReportResult(LOG_USER_HIVE, succeeded, path);
}

namespace {

CleanupContext* gContext = nullptr;

}  // namespace

void UseCleanupContext(CleanupContext& context) { gContext = &context; }

CleanupContext& TheCleanupContext() {
  static CleanupContext own;
  return gContext ? *gContext : own;
}
