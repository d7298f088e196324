#pragma once
// Captures what the primitives report: the log written by the cleanup context and its
// failure list, for comparison with expected lines given as data.
#include <string>
#include <vector>

#include "engine/core/cleanup_context.h"

class LogCapture {
 public:
  // Opens a fresh log at `logPath` and empties the failure list.
  explicit LogCapture(const std::string& logPath);
  ~LogCapture();
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  // Closes the log and returns its bytes (each line ends in CR LF).
  std::string Log();
  const std::vector<std::string>& Failures() const { return TheCleanupContext().failures; }
  // The Windows error code kept with each failure, in the same order.
  const std::vector<unsigned long>& Reasons() const { return TheCleanupContext().failureErrors; }

 private:
  std::string path_;
};

// The listing of `pattern` (ANSI, as the tests spell their paths), each name as the log
// spells it; the result of ListDirectory.
bool ListNames(const std::string& pattern, std::vector<std::string>& names);

// A shell folder as the log spells it, ending in a backslash ("" when unknown).
std::string ShellFolderText(int id);

// The bytes a log holds for `lines`: each line followed by CR LF.
std::string LogLines(const std::vector<std::string>& lines);

// Log lines for the four kinds and two outcomes; `text` follows as the primitives write it.
std::string FileOk(const std::string& path);
std::string FileFailed(const std::string& path);
std::string DirOk(const std::string& path);
std::string DirFailed(const std::string& path);
std::string KeyOk(const std::string& text);
std::string KeyFailed(const std::string& text);
std::string ValueOk(const std::string& text);

// Fakes the deletion call of the file primitives for the life of the object: nothing is
// deleted, every deletion asked for is recorded as the log spells it (and succeeds). For tests
// whose failure would otherwise take the prefix's own folders.
class FakedDeletions {
 public:
  FakedDeletions();
  ~FakedDeletions();
  FakedDeletions(const FakedDeletions&) = delete;
  FakedDeletions& operator=(const FakedDeletions&) = delete;

  // The paths of every file and folder deletion asked for, in order.
  static const std::vector<std::string>& Removed();
};
