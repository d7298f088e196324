#include "engine/backup/backup_writer.h"

#include "engine/backup/backup_layout.h"
#include "engine/registry/reg_file.h"
#include "engine/text/wide_text.h"

namespace {

// Writes all of `text` and flushes it to the disk; an item goes only after this succeeded.
bool WriteFlushed(HANDLE file, const std::string& text) {
  DWORD written = 0;
  return WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
         written == text.size() && FlushFileBuffers(file);
}

}  // namespace

bool BackupWriter::Ready() {
  if (!tried_) {
    tried_ = true;
    Make();
  }
  return !folder_.path().empty();
}

// Opens the backups folder, makes this run's backup in it and its registry file. Only the
// system, the administrators and (for a run that is not elevated) the running account may
// read or change what is made.
void BackupWriter::Make() {
  BackupPlaceResult result = root_.Open();
  SYSTEMTIME utc;
  GetSystemTime(&utc);
  if (result.ok()) result = root_.MakeBackupFolder(utc, folder_);
  if (!result.ok()) {
    refusal_ = result.reason;
    return;
  }
  const std::wstring registry = folder_.path() + Widen(kBackupRegistryFile);
  if (!root_.CreateProtectedFile(registry, registryFile_) ||
      !WriteFlushed(registryFile_.get(), kRegFileHeader)) {
    registryFile_.Reset();
    folder_.Release();
    refusal_ = L"the backup's registry file " + registry + L" could not be written";
  }
}

bool BackupWriter::Write(const std::string& text) {
  return Ready() && WriteFlushed(registryFile_.get(), text);
}

