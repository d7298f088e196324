#include "engine/core/cleanup_context.h"

#include <cstdint>

const char* const RootKeyNames[4] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER",
                                     "HKEY_LOCAL_MACHINE", "HKEY_USERS"};

namespace {

// Each label is 14 characters, each status 6, so the text starts at the same column.
const char* const kLabels[] = {"Delete Reg Key", "Delete Reg Val", "Remove File   ",
                               "Remove Dir    ", "Restore RegKey", "Restore RegVal",
                               "Restore File  ", "Restore Dir   ",
                               "Load User Reg ", "Not Backed Up "};
const int kLabelCount = sizeof(kLabels) / sizeof(kLabels[0]);
const char kStatusOk[] = "OK    ";
const char kStatusFailed[] = "failed";
const char kStatusFound[] = "found ";
const char kStatusLinked[] = "linked";

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

void CleanupContext::WriteLine(LogKind kind, const char* status, const std::string& text) {
  if (!logFile) return;
  const char* label = kind >= 0 && kind < kLabelCount ? kLabels[kind] : "";
  std::fprintf(logFile, "%s: %s %s\n", label, status, text.c_str());
  // Flushed line by line so that a run killed half way keeps the trace of what it deleted.
  std::fflush(logFile);
}

void CleanupContext::ReportResult(LogKind kind, Outcome outcome, const std::string& text) {
  WriteLine(kind, outcome.ok() ? kStatusOk : kStatusFailed, text);
  if (!outcome.ok()) NoteFailure(text, outcome.error());
}

void CleanupContext::ReportFound(LogKind kind, const std::string& text) {
  WriteLine(kind, kStatusFound, text);
  found.push_back(text);
}

void CleanupContext::ReportLinkedNotKept(const std::string& path) {
  WriteLine(LOG_NOT_KEPT, kStatusLinked, path);
}

void CleanupContext::ReportRegFound(LogKind kind, const void* root, const std::string& text) {
  const char* rootName = RootKeyName(root);
  if (rootName) ReportFound(kind, std::string(rootName) + "\\" + text);
}

void CleanupContext::ReportRegistry(LogKind kind, const void* root, const std::string& text,
                                    Outcome outcome) {
  if (outcome.ok() && !logFile) return;
  const char* rootName = RootKeyName(root);
  if (!rootName) return;
  ReportResult(kind, outcome, std::string(rootName) + "\\" + text);
}

void CleanupContext::ReportRegKey(const void* root, const std::string& subKey, Outcome outcome) {
  ReportRegistry(LOG_REG_KEY, root, subKey, outcome);
}

void CleanupContext::ReportRegValue(const void* root, const std::string& text, Outcome outcome) {
  ReportRegistry(LOG_REG_VALUE, root, text, outcome);
}

void CleanupContext::ReportFile(const std::string& path, Outcome outcome) {
  if (outcome.ok() && !logFile) return;
  ReportResult(LOG_FILE, outcome, path);
}

void CleanupContext::ReportDir(const std::string& path, Outcome outcome) {
  if (outcome.ok() && !logFile) return;
  ReportResult(LOG_DIR, outcome, path);
}

void CleanupContext::ReportUserHive(const std::string& path, Outcome outcome) {
  if (outcome.ok() && !logFile) return;
  ReportResult(LOG_USER_HIVE, outcome, path);
}
