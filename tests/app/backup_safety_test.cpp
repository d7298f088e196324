// Backups only administrators can write, and restores that put back exactly what was removed,
// end to end with purgon.exe. The tests run in this order in one prefix: the first finds the
// backups folder open to everyone (made so from the Linux side) and removes it afterwards.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "test_support.h"

namespace {

const std::string kPurgonData = "C:\\ProgramData\\Purgon\\";
const std::string kBackups = kPurgonData + "backups\\";
const char kLauncherKey[] = "Software\\Varenta\\qlaunch";
const char kSessionManager[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
const std::string kFolder = "C:\\purgon-ql\\";

void InstallLauncher() {
  MakeDirs(kFolder);
  WriteFileBytes(kFolder + "qlaunch.exe", "not a program");
  WriteFileBytes(kFolder + "q.ico", "icon");
  SetRegString(HKEY_CURRENT_USER, kLauncherKey, "path", kFolder + "qlaunch.exe");
  SetRegString(HKEY_CURRENT_USER, kLauncherKey, "icon", "q.ico");
}

// REG_MULTI_SZ data with its closing empty string (the literal's own terminator).
template <size_t N>
std::u16string MultiString(const char16_t (&text)[N]) {
  return std::u16string(text, N);
}

std::u16string ReadQueue() {
  HKEY key = nullptr;
  std::u16string data;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_READ, &key) != ERROR_SUCCESS) return data;
  DWORD size = 0;
  if (RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS) {
    data.resize(size / 2);
    RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, nullptr, reinterpret_cast<BYTE*>(&data[0]), &size);
  }
  RegCloseKey(key);
  return data;
}

void WriteQueue(const std::u16string& data) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS);
  if (data.empty())
    RegDeleteValueW(key, L"PendingFileRenameOperations");
  else
    RegSetValueExW(key, L"PendingFileRenameOperations", 0, REG_MULTI_SZ,
                   reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size() * 2));
  RegCloseKey(key);
}

class BackupSafety : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = MakeScratchDir("backup-safety"); }
  void TearDown() override {
    DeleteTreeForTest(dir_);
    DeleteTreeForTest(kFolder);
    DeleteRegTreeForTest(HKEY_CURRENT_USER, "Software\\Varenta");
  }
  RunResult Run(const std::string& arguments) { return RunPurgon(arguments, dir_, PressEach({"OK"})); }
  std::string Log() const { return ReadFileBytes(dir_ + "purgon.log"); }
  std::string dir_;
};

// A backups folder others may write to could hand an administrator's restore a planted
// backup: no backup is made in it, so nothing that needed one is deleted, and the report says
// why.
TEST_F(BackupSafety, BackupsFolderOthersMayWriteToIsRefusedAndNothingIsDeleted) {
  InstallLauncher();
  const RunResult run = RunPurgon("/ql /l /backup /codes", dir_, AnswerYesThenOk());
  DeleteTreeForTest(kPurgonData);  // the next tests' runs make it anew, as they should
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 3010u);
  EXPECT_TRUE(FileExists(kFolder + "qlaunch.exe"));
  EXPECT_TRUE(FileExists(kFolder + "q.ico"));
  EXPECT_EQ(Log(), "Remove File   : failed " + kFolder + "\\q.ico\r\nRemove File   : failed " + kFolder +
                       "qlaunch.exe\r\n");
  ASSERT_EQ(run.boxes.size(), 2u);  // the confirmation, the report
  const std::string note = "No backup could be made, so nothing that needed one was deleted: the "
                           "backups folder C:\\ProgramData\\Purgon\\backups can be changed by other users.";
  EXPECT_NE(run.boxes[1].text.find(note), std::string::npos) << run.boxes[1].text;
}

// A backup planted in the current folder, however it is named, is no backup: only the
// protected backups folder is read. There, a backup that asks for more than a removal could
// have deleted (a service key, a DLL in the system folder) gets none of it; what it may put
// back goes back; it keeps its name and the run exits with 1, so that nothing looks finished.
TEST_F(BackupSafety, RestoreReadsOnlyTheBackupsFolderAndWritesOnlyWhereARemovalDeletes) {
  const std::string registry =
      "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\purgon-evil]\r\n"
      "\"ImagePath\"=\"C:\\\\evil.exe\"\r\n\r\n[HKEY_CURRENT_USER\\Software\\PurgonRestored]\r\n\"v\"=\"1\"\r\n";
  for (const std::string& planted : {dir_ + "purgon-backup.7\\", dir_ + "29991231-235959\\"}) {
    MakeDirs(planted + "files\\C\\windows\\system32\\");
    WriteFileBytes(planted + "registry.reg", registry);
    WriteFileBytes(planted + "files\\C\\windows\\system32\\purgon-evil.dll", "evil");
  }
  RunResult none = Run("/restore /l /codes");
  EXPECT_EQ(none.exitCode, 0u);
  ASSERT_EQ(none.boxes.size(), 1u);
  EXPECT_EQ(none.boxes[0].text, "No backup folder to restore was found.");
  EXPECT_EQ(Log(), "");

  const std::string backup = kBackups + "20200101-000000\\";
  ASSERT_TRUE(MakeDirs(backup + "files\\C\\windows\\system32\\"));
  ASSERT_TRUE(MakeDirs(backup + "files\\C\\purgon-ql\\"));
  WriteFileBytes(backup + "registry.reg", registry);
  WriteFileBytes(backup + "files\\C\\windows\\system32\\purgon-evil.dll", "evil");
  WriteFileBytes(backup + "files\\C\\purgon-ql\\q.ico", "icon");
  RunResult named = RunPurgon("/restore 20200101-000000 /l /s /codes", dir_, PressEach({}));
  EXPECT_EQ(named.exitCode, 1u);
  EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\purgon-evil"));
  EXPECT_FALSE(FileExists("C:\\windows\\system32\\purgon-evil.dll"));
  EXPECT_TRUE(RegValueExists(HKEY_CURRENT_USER, "Software\\PurgonRestored", "v"));
  EXPECT_EQ(ReadFileBytes(kFolder + "q.ico"), "icon");
  EXPECT_EQ(Log(),
            "Restore RegKey: failed HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\purgon-evil\r\n"
            "Restore RegVal: failed HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\purgon-evil - ImagePath\r\n"
            "Restore RegKey: OK     HKEY_CURRENT_USER\\Software\\PurgonRestored\r\n"
            "Restore RegVal: OK     HKEY_CURRENT_USER\\Software\\PurgonRestored - v\r\n"
            "Restore Dir   : OK     C:\\purgon-ql\\\r\n"
            "Restore File  : OK     C:\\purgon-ql\\q.ico\r\n"
            "Restore File  : failed C:\\windows\\system32\\purgon-evil.dll\r\n");
  EXPECT_TRUE(DirExists(backup));  // not finished: keeps its name
  DeleteRegTreeForTest(HKEY_CURRENT_USER, "Software\\PurgonRestored");
}

// A removal with a backup, a reboot, and a restore. The newest backup is the one just made
// (an older one with a higher number stays untouched). Of the queue of file operations only
// the client's operation comes back, added to the queue as the reboot left it; the other
// programs' operations, already carried out, are not queued again. The launcher's icon, named
// with a doubled backslash, is kept and put back.
TEST_F(BackupSafety, RestoreGivesBackExactlyWhatTheRemovalTook) {
  const std::string older = kBackups + "20200101-000000.9\\";
  ASSERT_TRUE(MakeDirs(older));
  WriteFileBytes(older + "registry.reg", "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\PurgonOlder]\r\n");
  InstallLauncher();
  ASSERT_TRUE(MakeDirs("C:\\windows\\orv\\"));
  WriteFileBytes("C:\\windows\\orv\\host.new", "next host");
  WriteFileBytes("C:\\purgon-keep.dll", "keep");
  WriteQueue(MultiString(u"\\??\\C:\\windows\\orv\\host.new\0!\\??\\C:\\windows\\orv\\host.exe\0"
                         u"\\??\\C:\\purgon-keep.dll\0"));

  const RunResult removal = RunPurgon("/orv 1 /ql /l /s /backup /codes", dir_, PressEach({}));
  EXPECT_EQ(removal.exitCode, 0u) << Log();
  EXPECT_NE(Log().find("Remove File   : OK     " + kFolder + "\\q.ico\r\n"), std::string::npos);
  EXPECT_FALSE(FileExists(kFolder + "q.ico"));
  EXPECT_EQ(ReadQueue(), MultiString(u"\\??\\C:\\purgon-keep.dll\0\0"));

  WriteQueue(u"");  // a reboot: the queue was carried out
  DeleteFileA("C:\\purgon-keep.dll");
  const RunResult restore = RunPurgon("/restore /l /s /codes", dir_, PressEach({}));
  EXPECT_EQ(restore.exitCode, 0u) << Log();
  EXPECT_EQ(ReadQueue(), MultiString(u"\\??\\C:\\windows\\orv\\host.new\0!\\??\\C:\\windows\\orv\\host.exe\0"));
  EXPECT_EQ(ReadFileBytes(kFolder + "q.ico"), "icon");
  EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, "Software\\PurgonOlder"));
  EXPECT_TRUE(DirExists(older));
  DeleteTreeForTest("C:\\windows\\orv\\");
  WriteQueue(u"");
}

}  // namespace
