#include "test_support.h"

#include <algorithm>
#include <sstream>

#include <shellapi.h>
#include <shlwapi.h>

namespace {

bool WaitGone(HWND window, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (IsWindow(window) && IsWindowVisible(window)) {
    if (GetTickCount() - start >= timeoutMs) return false;
    Sleep(30);
  }
  return true;
}

}  // namespace

std::string BinDir() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir(path);
  return dir.substr(0, dir.rfind('\\') + 1);
}

std::string PurgonPath() { return BinDir() + "purgon.exe"; }

RunResult RunProgram(const std::string& program, const std::string& arguments,
                     const std::string& directory, const BoxHandler& handler, DWORD timeoutMs) {
  RunResult result;
  std::string commandLine = "\"" + program + "\"" + (arguments.empty() ? "" : " " + arguments);
  std::vector<char> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back('\0');
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(program.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      directory.empty() ? nullptr : directory.c_str(), &startup, &process)) {
    result.exitCode = GetLastError();
    return result;
  }
  const DWORD start = GetTickCount();
  while (WaitForSingleObject(process.hProcess, 50) == WAIT_TIMEOUT) {
    if (GetTickCount() - start >= timeoutMs) {
      TerminateProcess(process.hProcess, 0xDEAD);
      WaitForSingleObject(process.hProcess, 5000);
      break;
    }
    BoxInfo box;
    if (!WaitForBox(process.dwProcessId, 0, box)) continue;
    result.boxes.push_back(box);
    if (handler) handler(box);
    WaitGone(box.window, 10000);
  }
  result.finished = WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0 &&
                    GetTickCount() - start < timeoutMs;
  GetExitCodeProcess(process.hProcess, &result.exitCode);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return result;
}

RunResult RunPurgon(const std::string& arguments, const std::string& directory,
                    const BoxHandler& handler, DWORD timeoutMs) {
  return RunProgram(PurgonPath(), arguments, directory, handler, timeoutMs);
}

BoxHandler PressEach(const std::vector<std::string>& buttons) {
  auto next = std::make_shared<size_t>(0);
  return [buttons, next](const BoxInfo& box) {
    if (*next < buttons.size()) PressButton(box, buttons[(*next)++].c_str());
    else CloseBox(box);
  };
}

BoxHandler AnswerYesThenOk() {
  return [](const BoxInfo& box) {
    if (!PressButton(box, "Yes")) PressButton(box, "OK");
  };
}

std::string MakeScratchDir(const std::string& name) {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  std::string dir = std::string(temp) + "purgon-test-" + name + "-" +
                    std::to_string(GetCurrentProcessId()) + "\\";
  DeleteTreeForTest(dir);
  MakeDirs(dir);
  return dir;
}

bool FileExists(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirExists(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadFileBytes(const std::string& path) {
  std::string bytes;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  char chunk[4096];
  DWORD read = 0;
  while (ReadFile(file, chunk, sizeof(chunk), &read, nullptr) && read > 0) bytes.append(chunk, read);
  CloseHandle(file);
  return bytes;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

bool MakeDirs(const std::string& path) {
  for (size_t i = 3; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '\\') CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
  }
  return DirExists(path);
}

void DeleteTreeForTest(const std::string& path) {
  std::string dir = path;
  while (!dir.empty() && dir.back() == '\\') dir.pop_back();
  if (dir.size() <= 3) return;  // never a drive root
  // Only an absolute path the shell can take whole: under Wine, a path too long for it made the
  // shell delete files of the current directory (the build tree) instead.
  if (dir.size() >= MAX_PATH || dir[1] != ':' || dir[2] != '\\') return;
  std::vector<char> from(dir.begin(), dir.end());
  from.push_back('\0');
  from.push_back('\0');
  SHFILEOPSTRUCTA op = {};
  op.wFunc = FO_DELETE;
  op.pFrom = from.data();
  op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
  SHFileOperationA(&op);
}

bool RegKeyExists(HKEY root, const std::string& subKey) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

bool RegValueExists(HKEY root, const std::string& subKey, const std::string& name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  LONG status = RegQueryValueExA(key, name.c_str(), nullptr, nullptr, nullptr, nullptr);
  RegCloseKey(key);
  return status == ERROR_SUCCESS;
}

bool SetRegBinary(HKEY root, const std::string& subKey, const std::string& name,
                  const std::string& data, DWORD type) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(root, subKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return false;
  LONG status = RegSetValueExA(key, name.empty() ? nullptr : name.c_str(), 0, type,
                               reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size()));
  RegCloseKey(key);
  return status == ERROR_SUCCESS;
}

bool SetRegString(HKEY root, const std::string& subKey, const std::string& name,
                  const std::string& value, DWORD type) {
  return SetRegBinary(root, subKey, name, std::string(value.c_str(), value.size() + 1), type);
}

bool SetRegDword(HKEY root, const std::string& subKey, const std::string& name, DWORD value) {
  return SetRegBinary(root, subKey, name, std::string(reinterpret_cast<const char*>(&value), 4), REG_DWORD);
}

bool CreateRegKey(HKEY root, const std::string& subKey) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(root, subKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return false;
  RegCloseKey(key);
  return true;
}

void DeleteRegTreeForTest(HKEY root, const std::string& subKey) {
  if (!subKey.empty()) SHDeleteKeyA(root, subKey.c_str());
}

HeldFile::HeldFile(const std::string& path) {
  static int count = 0;
  const std::string tag = std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++count);
  const std::string ready = "purgon-held-ready-" + tag, release = "purgon-held-release-" + tag;
  ready_ = CreateEventA(nullptr, TRUE, FALSE, ready.c_str());
  release_ = CreateEventA(nullptr, TRUE, FALSE, release.c_str());
  std::string commandLine =
      "\"" + BinDir() + "engine_file_holder.exe\" \"" + path + "\" " + ready + " " + release;
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!ready_ || !release_ ||
      !CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process))
    return;
  CloseHandle(process.hThread);
  process_ = process.hProcess;
  const HANDLE either[2] = {ready_, process_};  // a holder that cannot open the file ends
  held_ = WaitForMultipleObjects(2, either, FALSE, 60000) == WAIT_OBJECT_0;
}

HeldFile::~HeldFile() {
  if (release_) SetEvent(release_);
  if (process_) {
    WaitForSingleObject(process_, 60000);
    CloseHandle(process_);
  }
  if (ready_) CloseHandle(ready_);
  if (release_) CloseHandle(release_);
}

bool SetKeyDeny(HKEY root, const std::string& subKey, DWORD deny) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, subKey.c_str(), 0, WRITE_DAC, &key) != ERROR_SUCCESS) return false;
  SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
  PSID everyone = nullptr;
  AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone);
  alignas(8) BYTE buffer[256];
  PACL acl = reinterpret_cast<PACL>(buffer);
  InitializeAcl(acl, sizeof(buffer), ACL_REVISION);
  AddAccessDeniedAce(acl, ACL_REVISION, deny, everyone);
  AddAccessAllowedAce(acl, ACL_REVISION, KEY_ALL_ACCESS, everyone);
  SECURITY_DESCRIPTOR descriptor;
  InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
  SetSecurityDescriptorDacl(&descriptor, TRUE, deny ? acl : nullptr, FALSE);
  const LONG status = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor);
  FreeSid(everyone);
  RegCloseKey(key);
  return status == ERROR_SUCCESS;
}

std::string DiffLines(const std::vector<std::string>& expected, const std::vector<std::string>& actual) {
  // Longest common subsequence, from the ends: common[i][j] for expected[i..], actual[j..].
  const size_t n = expected.size(), m = actual.size();
  std::vector<std::vector<unsigned>> common(n + 1, std::vector<unsigned>(m + 1, 0));
  for (size_t i = n; i-- > 0;)
    for (size_t j = m; j-- > 0;)
      common[i][j] = expected[i] == actual[j] ? common[i + 1][j + 1] + 1
                                              : std::max(common[i + 1][j], common[i][j + 1]);
  std::string diff;
  size_t i = 0, j = 0;
  while (i < n || j < m) {
    if (i < n && j < m && expected[i] == actual[j]) {
      ++i, ++j;
    } else if (j < m && (i == n || common[i][j + 1] >= common[i + 1][j])) {
      diff += "+" + std::to_string(j + 1) + ": " + actual[j] + "\n";
      ++j;
    } else {
      diff += "-" + std::to_string(i + 1) + ": " + expected[i] + "\n";
      ++i;
    }
  }
  return diff;
}

bool EnableHivePrivileges() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token)) return false;
  bool ok = true;
  for (const char* name : {SE_BACKUP_NAME, SE_RESTORE_NAME}) {
    TOKEN_PRIVILEGES privileges = {1, {{{0, 0}, SE_PRIVILEGE_ENABLED}}};
    ok = ok && LookupPrivilegeValueA(nullptr, name, &privileges.Privileges[0].Luid) &&
         AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
  }
  CloseHandle(token);
  return ok;
}

bool SaveHiveFile(const std::vector<HiveRow>& rows, const std::string& file) {
  const std::string scratch = "Software\\PurgonScratchHive";
  DeleteRegTreeForTest(HKEY_CURRENT_USER, scratch);
  for (const HiveRow& row : rows) {
    const std::string key = scratch + "\\" + row.key;
    if (!(row.value.empty() ? CreateRegKey(HKEY_CURRENT_USER, key)
                            : SetRegString(HKEY_CURRENT_USER, key, row.value, row.data, row.type)))
      return false;
  }
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, scratch.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  DeleteFileA(file.c_str());
  MakeDirs(file.substr(0, file.rfind('\\') + 1));
  const bool saved = RegSaveKeyA(key, file.c_str(), nullptr) == ERROR_SUCCESS;
  RegCloseKey(key);
  DeleteRegTreeForTest(HKEY_CURRENT_USER, scratch);
  return saved;
}

std::vector<std::string> TextLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

TestThread::TestThread(std::function<void()> body) : body_(std::move(body)) {
  thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
  if (!thread_) body_();  // no thread to be had: the work is still done, on this one
}

TestThread::~TestThread() { join(); }

void TestThread::join() {
  if (!thread_) return;
  WaitForSingleObject(thread_, INFINITE);
  CloseHandle(thread_);
  thread_ = nullptr;
}

DWORD WINAPI TestThread::Run(void* self) {
  static_cast<TestThread*>(self)->body_();
  return 0;
}
