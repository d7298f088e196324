// Shell-folder and COM lookups under Wine.
#include <gtest/gtest.h>

#include <shlobj.h>

#include "engine/system/shell.h"
#include "test_support.h"

namespace {

class ShellTest : public ::testing::Test {
 protected:
  void SetUp() override { CoInitialize(nullptr); }
  void TearDown() override { CoUninitialize(); }
};

TEST_F(ShellTest, FolderPathsEndInOneBackslash) {
  for (int id : {CSIDL_DESKTOP, CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS,
                 CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_APPDATA, CSIDL_PROGRAM_FILES}) {
    std::wstring path = L"old";
    EXPECT_TRUE(GetSpecialFolderPath(id, path)) << id;
    ASSERT_GE(path.size(), 3u) << id;
    EXPECT_EQ(path.back(), L'\\') << id;
    EXPECT_NE(path[path.size() - 2], L'\\') << id;
    EXPECT_NE(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES) << id;
  }
}

// A folder placed at a drive root already ends in a backslash: no second one is added.
TEST_F(ShellTest, DriveRootFolderKeepsItsOneBackslash) {
  const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
  ASSERT_TRUE(SetRegString(HKEY_CURRENT_USER, kShellFolders, "Personal", "C:\\", REG_EXPAND_SZ));
  std::wstring path;
  EXPECT_TRUE(GetSpecialFolderPath(CSIDL_PERSONAL, path));
  EXPECT_EQ(path, L"C:\\");
}

TEST_F(ShellTest, UnresolvableFolderLeavesPathAlone) {
  std::wstring path = L"untouched";
  EXPECT_FALSE(GetSpecialFolderPath(0x7f, path));
  EXPECT_EQ(path, L"untouched");
}

TEST_F(ShellTest, NothingRunningUnderNameIsSFalseAndPointerUntouched) {
  IDispatch* sentinel = reinterpret_cast<IDispatch*>(0x1234);
  IDispatch* dispatch = sentinel;
  EXPECT_EQ(GetRunningDispatch("purgon-engine-nobody-runs-this", &dispatch), S_FALSE);
  EXPECT_EQ(dispatch, sentinel);
  EXPECT_EQ(GetRunningDispatch("purgon-engine-nobody-runs-this", nullptr), S_FALSE);
}

TEST_F(ShellTest, UnknownProgIdGivesItsErrorAndLeavesPointerAlone) {
  IDispatch* sentinel = reinterpret_cast<IDispatch*>(0x1234);
  IDispatch* dispatch = sentinel;
  const HRESULT hr =
      CreateDispatchByProgID(L"Purgon.NoSuchClass.1", nullptr, CLSCTX_ALL, &dispatch);
  EXPECT_EQ(hr, CO_E_CLASSSTRING);
  EXPECT_EQ(dispatch, sentinel);
}

TEST_F(ShellTest, KnownProgIdGivesItsDispatch) {
  IDispatch* dispatch = nullptr;
  ASSERT_EQ(CreateDispatchByProgID(L"Scripting.Dictionary", nullptr, CLSCTX_ALL, &dispatch), S_OK);
  ASSERT_NE(dispatch, nullptr);
  dispatch->Release();
}

// Runs the running-object-table double (tests/fakes/rot_object) until destroyed.
class RotObject {
 public:
  explicit RotObject(const std::string& name) {
    const std::string id = std::to_string(GetCurrentProcessId());
    ready_ = CreateEventA(nullptr, TRUE, FALSE, ("purgon-rot-ready-" + id).c_str());
    release_ = CreateEventA(nullptr, TRUE, FALSE, ("purgon-rot-release-" + id).c_str());
    std::string commandLine = "\"" + BinDir() + "rot_object.exe\" " + name + " purgon-rot-ready-" +
                              id + " purgon-rot-release-" + id;
    STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
    if (CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &process_)) {
      // Waiting on the process too: a double that fails to register ends at once.
      HANDLE waits[2] = {ready_, process_.hProcess};
      running_ = WaitForMultipleObjects(2, waits, FALSE, 30000) == WAIT_OBJECT_0;
    }
  }
  ~RotObject() { Stop(); }
  bool running() const { return running_; }
  void Stop() {
    if (process_.hProcess) {
      SetEvent(release_);
      WaitForSingleObject(process_.hProcess, 20000);
      CloseHandle(process_.hThread);
      CloseHandle(process_.hProcess);
      process_ = PROCESS_INFORMATION();
    }
    if (ready_) CloseHandle(ready_);
    if (release_) CloseHandle(release_);
    ready_ = release_ = nullptr;
  }

 private:
  HANDLE ready_ = nullptr;
  HANDLE release_ = nullptr;
  PROCESS_INFORMATION process_ = {};
  bool running_ = false;
};

LONG AnswerOf(IDispatch* dispatch) {
  DISPPARAMS none = {};
  VARIANT result;
  VariantInit(&result);
  if (FAILED(dispatch->Invoke(1, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr)))
    return -1;
  return result.vt == VT_I4 ? result.lVal : -1;
}

TEST_F(ShellTest, FindsObjectRunningInAnotherProcess) {
  const std::string name = "purgon-engine-rot-" + std::to_string(GetCurrentProcessId());
  RotObject double_(name);
  ASSERT_TRUE(double_.running());

  IDispatch* dispatch = nullptr;
  ASSERT_EQ(GetRunningDispatch(name.c_str(), &dispatch), S_OK);
  ASSERT_NE(dispatch, nullptr);
  EXPECT_EQ(AnswerOf(dispatch), 4242);  // the double's own answer: it is that object
  dispatch->Release();
  EXPECT_EQ(GetRunningDispatch(name.c_str(), nullptr), S_OK);

  // An object without IDispatch runs (S_OK) but yields no dispatch pointer.
  IDispatch* none = reinterpret_cast<IDispatch*>(0x1234);
  EXPECT_EQ(GetRunningDispatch((name + "-plain").c_str(), &none), S_OK);
  EXPECT_EQ(none, nullptr);

  double_.Stop();  // revoked: nothing runs under the name any more
  EXPECT_EQ(GetRunningDispatch(name.c_str(), nullptr), S_FALSE);
}

}  // namespace
