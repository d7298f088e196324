#include "log_capture.h"

#include "engine/file_calls.h"
#include "test_support.h"

LogCapture::LogCapture(const std::string& logPath) : path_(logPath) {
  TheCleanupContext().failures.clear();
  TheCleanupContext().OpenLog(path_.c_str());
}

LogCapture::~LogCapture() {
  TheCleanupContext().CloseLog();
  TheCleanupContext().failures.clear();
  DeleteFileA(path_.c_str());
}

std::string LogCapture::Log() {
  TheCleanupContext().CloseLog();
  return ReadFileBytes(path_);
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

BOOL WINAPI RecordDeletion(LPCSTR path) {
  gRemoved.push_back(path);
  return TRUE;
}

}  // namespace

FakedDeletions::FakedDeletions() {
  gRemoved.clear();
  TheFileCalls().deleteFile = RecordDeletion;
  TheFileCalls().removeDirectory = RecordDeletion;
}

FakedDeletions::~FakedDeletions() { TheFileCalls() = RealFileCalls(); }

const std::vector<std::string>& FakedDeletions::Removed() { return gRemoved; }
