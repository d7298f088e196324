#include "log_capture.h"

#include "engine/files/file_calls.h"
#include "engine/files/folder_listing.h"
#include "engine/system/shell.h"
#include "engine/text/wide_text.h"
#include "test_support.h"

TestRun::TestRun(const std::string& logPath, ChangeMode mode) : context(report), remove(context), path_(logPath) {
  context.Use(MakePolicy(mode, context));
  report.OpenLog(path_.c_str());
}

TestRun::~TestRun() {
  report.CloseLog();
  DeleteFileA(path_.c_str());
}

std::string TestRun::Log() {
  report.CloseLog();
  return ReadFileBytes(path_);
}

bool ListNames(const std::string& pattern, std::vector<std::string>& names) {
  std::vector<std::wstring> wide;
  const bool whole = ListFolderNames(RealFileCalls(), Widen(pattern), wide);
  for (const std::wstring& name : wide) names.push_back(LogText(name));
  return whole;
}

std::string ShellFolderText(int id) {
  std::wstring path;
  return GetSpecialFolderPath(id, path) ? LogText(path) : std::string();
}

std::string LogLines(const std::vector<std::string>& lines) {
  std::string bytes;
  for (const std::string& line : lines) bytes += line + "\r\n";
  return bytes;
}

std::string FileOk(const std::string& path) { return "Remove File   : OK     " + path; }
std::string FileFailed(const std::string& path) { return "Remove File   : failed " + path; }
std::string DirOk(const std::string& path) { return "Remove Dir    : OK     " + path; }
std::string DirFailed(const std::string& path) { return "Remove Dir    : failed " + path; }
std::string KeyOk(const std::string& text) { return "Delete Reg Key: OK     " + text; }
std::string KeyFailed(const std::string& text) { return "Delete Reg Key: failed " + text; }
std::string ValueOk(const std::string& text) { return "Delete Reg Val: OK     " + text; }

namespace {

std::vector<std::string> gRemoved;

NtStatus RecordDeletion(HANDLE, const std::wstring& path) {
  gRemoved.push_back(LogText(path));
  return kStatusSuccess;
}

}  // namespace

FakedDeletions::FakedDeletions(TestRun& run) : run_(run) {
  gRemoved.clear();
  run_.context.files.deleteOpened = RecordDeletion;
}

FakedDeletions::~FakedDeletions() { run_.context.files.deleteOpened = RealFileCalls().deleteOpened; }

const std::vector<std::string>& FakedDeletions::Removed() { return gRemoved; }
