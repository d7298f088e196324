#pragma once
#include <cstdio>
#include <string>
#include <vector>

// The kind of deletion a log line reports.
enum LogKind {
  LOG_REG_KEY = 0,
  LOG_REG_VALUE = 1,
  LOG_FILE = 2,
  LOG_DIR = 3,
  // What a restore puts back.
  LOG_RESTORE_KEY = 4,
  LOG_RESTORE_VALUE = 5,
  LOG_RESTORE_FILE = 6,
  LOG_RESTORE_DIR = 7,
  // Another account's registry file that could not be loaded or unloaded (failures only).
  LOG_USER_HIVE = 8,
  // A file a backup does not keep, with why (it has other names that keep its data).
  LOG_NOT_KEPT = 9,
};

// How one deletion ended: done, or failed for a reason, the Windows error code that says why
// (kErrorRefused for what the program's own rules refused). The log and the report show only
// "OK" or "failed"; the reason stays with the failure for whoever asks.
class Outcome {
 public:
  static Outcome Done() { return Outcome(0); }
  static Outcome Failed(unsigned long error) { return Outcome(error ? error : kErrorUnknown); }
  // Of a call that gives only success or failure.
  static Outcome Of(bool succeeded) { return succeeded ? Done() : Failed(kErrorUnknown); }
  // An application-defined code (bit 29): refused by the program's own safety rules.
  static const unsigned long kErrorRefused = 0x20000001;
  // An application-defined code: the call gave no reason.
  static const unsigned long kErrorUnknown = 0x20000002;

  bool ok() const { return error_ == 0; }
  unsigned long error() const { return error_; }

 private:
  explicit Outcome(unsigned long error) : error_(error) {}
  unsigned long error_;
};

// Names printed for the four predefined registry roots, indexed by the root handle's value
// minus 0x80000000 (HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS).
extern const char* const RootKeyNames[4];

// The printed name of a root handle, or null for any other handle (reports against it are
// dropped, which keeps nested keys of a tree removal out of the log).
const char* RootKeyName(const void* root);

// Receives the outcome of every deletion: writes one line per report to the optional log and
// remembers the text of every failure. One instance per process, owned by the application
// object and handed to each run; used by the main thread only.
class CleanupContext {
 public:
  CleanupContext() = default;
  ~CleanupContext() { CloseLog(); }
  CleanupContext(const CleanupContext&) = delete;
  CleanupContext& operator=(const CleanupContext&) = delete;

  // Opens (creating or truncating) the log in text mode; false leaves logging off.
  bool OpenLog(const char* path);
  void CloseLog();

  void ReportResult(LogKind kind, Outcome outcome, const std::string& text);
  void ReportRegKey(const void* root, const std::string& subKey, Outcome outcome);
  // `text` is the key path, " - " and the value name.
  void ReportRegValue(const void* root, const std::string& text, Outcome outcome);
  void ReportFile(const std::string& path, Outcome outcome);
  void ReportDir(const std::string& path, Outcome outcome);
  // The load of another account's registry file; `path` is the file.
  void ReportUserHive(const std::string& path, Outcome outcome);

  // The same for a call that gives only success or failure.
  void ReportResult(LogKind kind, bool succeeded, const std::string& text) {
    ReportResult(kind, Outcome::Of(succeeded), text);
  }
  void ReportRegKey(const void* root, const std::string& subKey, bool succeeded) {
    ReportRegKey(root, subKey, Outcome::Of(succeeded));
  }
  void ReportRegValue(const void* root, const std::string& text, bool succeeded) {
    ReportRegValue(root, text, Outcome::Of(succeeded));
  }
  void ReportFile(const std::string& path, bool succeeded) { ReportFile(path, Outcome::Of(succeeded)); }
  void ReportDir(const std::string& path, bool succeeded) { ReportDir(path, Outcome::Of(succeeded)); }
  void ReportUserHive(const std::string& path, bool succeeded) {
    ReportUserHive(path, Outcome::Of(succeeded));
  }

  // A preview's report of an item the removal would delete: the line a successful removal
  // writes, with "found " for "OK    "; the text is remembered in `found`. Registry reports
  // against a handle other than the four roots are dropped, as for a removal.
  void ReportFound(LogKind kind, const std::string& text);

  // A file the backup does not copy because it has more than one name: the other names keep
  // its data, and only this name is deleted. One line, "linked", before its removal's line;
  // no failure.
  void ReportLinkedNotKept(const std::string& path);

  // A failure that has no log line of its own (the renaming of a restored backup).
  void NoteFailure(const std::string& text, unsigned long error) {
    failures.push_back(text);
    failureErrors.push_back(error);
  }
  void ClearFailures() {
    failures.clear();
    failureErrors.clear();
  }
  void ReportRegFound(LogKind kind, const void* root, const std::string& text);

  FILE* logFile = nullptr;
  // Set when logging was asked for but the log's name was refused (a link, or a file with
  // more than one name): the run goes on unlogged and the final report says so.
  bool logRefused = false;
  std::vector<std::string> failures;
  // The reason of each failure, in the same order (Outcome::error).
  std::vector<unsigned long> failureErrors;
  std::vector<std::string> found;

 private:
  void ReportRegistry(LogKind kind, const void* root, const std::string& text, Outcome outcome);
  void WriteLine(LogKind kind, const char* status, const std::string& text);
};
