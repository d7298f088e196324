#pragma once
// One run of the engine for a test: its own report (a log written to a file, the failure list),
// its own context with the policy the test asks for, and a remover in the running account's
// scope, so that what the primitives report can be compared with expected lines given as data.
#include <string>
#include <vector>

#include "engine/core/cleanup_context.h"
#include "engine/removal/policies.h"
#include "engine/removal/remover.h"
#include "engine/run/run_context.h"

class TestRun {
 public:
  // Opens a fresh log at `logPath`; the policy is that of `mode`.
  explicit TestRun(const std::string& logPath, ChangeMode mode = ChangeMode::Live);
  ~TestRun();
  TestRun(const TestRun&) = delete;
  TestRun& operator=(const TestRun&) = delete;

  // Closes the log and returns its bytes (each line ends in CR LF).
  std::string Log();
  const std::vector<std::string>& Failures() const { return report.failures; }
  // The Windows error code kept with each failure, in the same order.
  const std::vector<unsigned long>& Reasons() const { return report.failureErrors; }

  CleanupContext report;
  RunContext context;  // its `files` entries are the test's to replace
  Remover remove;

 private:
  std::string path_;
};

// The listing of `pattern` (ANSI, as the tests spell their paths) with the real file calls,
// each name as the log spells it.
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

// Fakes the deletion call of a run's file primitives for the life of the object: nothing is
// deleted, every deletion asked for is recorded as the log spells it (and succeeds). For tests
// whose failure would otherwise take the prefix's own folders.
class FakedDeletions {
 public:
  explicit FakedDeletions(TestRun& run);
  ~FakedDeletions();
  FakedDeletions(const FakedDeletions&) = delete;
  FakedDeletions& operator=(const FakedDeletions&) = delete;

  // The paths of every file and folder deletion asked for, in order.
  static const std::vector<std::string>& Removed();

 private:
  TestRun& run_;
};
