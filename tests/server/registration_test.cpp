// Self-registration of the real purgon.exe: "regserver" and "unregserver" against the
// registry of a prefix of its own, and the resources they work from.
#include <gtest/gtest.h>
#include <windows.h>
#include <oleauto.h>

#include <string>
#include <vector>

#include "server/server_module.h"
#include "test_support.h"

namespace {

const std::string kAppId = "{8E3C52A4-6F1B-4D7A-B0C9-3A5E7D2F1C86}";
const std::string kLibId = "{5B1D3A70-8C2E-4F57-9A61-2D7E4C0B9F13}";
const std::string kTypeLibKey = "TypeLib\\" + kLibId;

const char kScript[] =
    "HKCR\r\n{\r\n\tNoRemove AppID\r\n\t{\r\n"
    "\t\t{8E3C52A4-6F1B-4D7A-B0C9-3A5E7D2F1C86} = s 'Purgon'\r\n"
    "\t\t'Purgon.EXE'\r\n\t\t{\r\n"
    "\t\t\tval AppID = s {8E3C52A4-6F1B-4D7A-B0C9-3A5E7D2F1C86}\r\n"
    "\t\t}\r\n\t}\r\n}\r\n";

// Reads a REG_SZ value; "<missing>" when the key or value is not there, "<type n>" for
// another type.
std::string ReadString(const std::string& subKey, const std::string& name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return "<missing>";
  char data[1024] = {};
  DWORD size = sizeof(data) - 1;
  DWORD type = 0;
  const LONG result = RegQueryValueExA(key, name.empty() ? nullptr : name.c_str(), nullptr, &type,
                                       reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS) return "<missing>";
  if (type != REG_SZ) return "<type " + std::to_string(type) + ">";
  return data;
}

struct ExpectedValue {
  std::string key;
  std::string name;  // empty: the default value
  std::string data;
};

std::string ProgramFolder() {
  std::string folder = BinDir();
  return folder.substr(0, folder.size() - 1);
}

// Everything a registration writes under HKEY_CLASSES_ROOT.
std::vector<ExpectedValue> RegisteredValues() {
  return {
      {"AppID\\" + kAppId, "", "Purgon"},
      {"AppID\\Purgon.EXE", "AppID", kAppId},
      {kTypeLibKey + "\\1.0", "", "Purgon 1.0 Type Library"},
      {kTypeLibKey + "\\1.0\\FLAGS", "", "8"},  // LIBFLAG_FHASDISKIMAGE: loaded from a file
      {kTypeLibKey + "\\1.0\\HELPDIR", "", ProgramFolder()},
      {kTypeLibKey + "\\1.0\\409\\win32", "", PurgonPath()},
  };
}

void ExpectRegistered(const std::vector<ExpectedValue>& values) {
  for (const ExpectedValue& v : values)
    EXPECT_EQ(ReadString(v.key, v.name), v.data) << v.key << " [" << v.name << "]";
}

struct DataModule {
  HMODULE module = LoadLibraryExA(PurgonPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ~DataModule() { if (module) FreeLibrary(module); }
};

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

TEST(ServerResources, ScriptIsStoredByteForByte) {
  DataModule program;
  ASSERT_TRUE(program.module != nullptr);
  HRSRC found = FindResourceA(program.module, MAKEINTRESOURCEA(100), "REGISTRY");
  ASSERT_TRUE(found != nullptr);
  const char* data = static_cast<const char*>(LockResource(LoadResource(program.module, found)));
  EXPECT_EQ(std::string(data, SizeofResource(program.module, found)), kScript);
}

TEST(ServerResources, TypeLibraryNamesTheServerAndDeclaresNoTypes) {
  ITypeLib* library = nullptr;
  ASSERT_EQ(LoadTypeLibEx(Wide(PurgonPath()).c_str(), REGKIND_NONE, &library), S_OK);
  TLIBATTR* attributes = nullptr;
  ASSERT_EQ(library->GetLibAttr(&attributes), S_OK);
  EXPECT_TRUE(IsEqualGUID(attributes->guid, LIBID_PURGONLib)) << "the IDL's uuid is LIBID_PURGONLib";
  EXPECT_EQ(attributes->wMajorVerNum, 1);
  EXPECT_EQ(attributes->wMinorVerNum, 0);
  EXPECT_EQ(attributes->lcid, 0x409u);
  EXPECT_EQ(attributes->syskind, SYS_WIN32);
  library->ReleaseTLibAttr(attributes);
  BSTR name = nullptr;
  BSTR help = nullptr;
  ASSERT_EQ(library->GetDocumentation(-1, &name, &help, nullptr, nullptr), S_OK);
  EXPECT_EQ(std::wstring(name), L"PURGONLib");
  EXPECT_EQ(std::wstring(help), L"Purgon 1.0 Type Library");
  SysFreeString(name);
  SysFreeString(help);
  EXPECT_EQ(library->GetTypeInfoCount(), 0u);
  library->Release();
}

class Registration : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = MakeScratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
    // A neighbour under "AppID" that belongs to someone else.
    ASSERT_TRUE(SetRegString(HKEY_CLASSES_ROOT, kNeighbour, "", "other"));
  }
  void TearDown() override {
    DeleteRegTreeForTest(HKEY_CLASSES_ROOT, kNeighbour);
    DeleteTreeForTest(dir_);
  }
  RunResult Run(const std::string& arguments) { return RunPurgon(arguments, dir_, PressEach({})); }

  const std::string kNeighbour = "AppID\\{00000000-1111-2222-3333-444444444444}";
  std::string dir_;
};

TEST_F(Registration, RegisterThenUnregisterWritesAndRemovesExactlyItsOwnKeys) {
  RunResult r = Run("/l /regserver");
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(r.exitCode, static_cast<DWORD>(S_OK));
  EXPECT_TRUE(r.boxes.empty());
  EXPECT_FALSE(FileExists(dir_ + "purgon.log")) << "registration opens no log";
  ExpectRegistered(RegisteredValues());

  r = Run("/unregserver");
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(r.exitCode, static_cast<DWORD>(S_OK));
  EXPECT_TRUE(r.boxes.empty());
  EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, "AppID\\" + kAppId));
  EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, "AppID\\Purgon.EXE"));
  EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, kTypeLibKey));
  EXPECT_TRUE(RegKeyExists(HKEY_CLASSES_ROOT, "AppID"));
  EXPECT_EQ(ReadString(kNeighbour, ""), "other");
}

TEST_F(Registration, UnregisterKeepsWhatOthersAddedBelowItsKeys) {
  ASSERT_EQ(Run("/regserver").exitCode, static_cast<DWORD>(S_OK));
  const std::string foreign = "AppID\\Purgon.EXE\\Added by someone";
  ASSERT_TRUE(CreateRegKey(HKEY_CLASSES_ROOT, foreign));
  EXPECT_EQ(Run("/unregserver").exitCode, static_cast<DWORD>(S_OK));
  EXPECT_TRUE(RegKeyExists(HKEY_CLASSES_ROOT, foreign));
  EXPECT_EQ(ReadString("AppID\\Purgon.EXE", "AppID"), "<missing>") << "its own value goes";
  EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, "AppID\\" + kAppId));
  DeleteRegTreeForTest(HKEY_CLASSES_ROOT, "AppID\\Purgon.EXE");
}

// Makes HKCR\<path> refuse values and sub-keys to everyone, as on a machine where the user
// may not write the type library's registration.
bool DenyWrites(const std::string& path) {
  return CreateRegKey(HKEY_CLASSES_ROOT, path) &&
         SetKeyDeny(HKEY_CLASSES_ROOT, path, KEY_SET_VALUE | KEY_CREATE_SUB_KEY);
}

void AllowWrites(const std::string& path) { SetKeyDeny(HKEY_CLASSES_ROOT, path, 0); }

// What registering the program's type library gives on this machine right now.
HRESULT RegisterTypeLibHere() {
  ITypeLib* library = nullptr;
  HRESULT hr = LoadTypeLibEx(Wide(PurgonPath()).c_str(), REGKIND_NONE, &library);
  if (FAILED(hr)) return hr;
  std::wstring path = Wide(PurgonPath());
  std::wstring helpDir = Wide(ProgramFolder());
  hr = RegisterTypeLib(library, &path[0], &helpDir[0]);
  library->Release();
  return hr;
}

TEST_F(Registration, ATypeLibraryThatCannotBeRegisteredStillLeavesTheAppIdKeys) {
  const std::string denied = kTypeLibKey + "\\1.0";
  ASSERT_TRUE(DenyWrites(denied));
  const HRESULT expected = RegisterTypeLibHere();
  ASSERT_TRUE(FAILED(expected)) << "the denied key must make registration fail";

  RunResult r = Run("/regserver");
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(r.exitCode, static_cast<DWORD>(expected));
  EXPECT_TRUE(r.boxes.empty());
  ExpectRegistered({RegisteredValues()[0], RegisteredValues()[1]});

  AllowWrites(denied);
  DeleteRegTreeForTest(HKEY_CLASSES_ROOT, kTypeLibKey);
  // With no library registration left, unregistering still removes the AppID keys and
  // ends with the system's answer for the missing library.
  r = Run("/unregserver");
  EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, "AppID\\" + kAppId));
  const HRESULT missing = UnRegisterTypeLib(LIBID_PURGONLib, 1, 0, 0x409, SYS_WIN32);
  EXPECT_TRUE(FAILED(missing));
  EXPECT_EQ(r.exitCode, static_cast<DWORD>(missing));
}

TEST_F(Registration, AppIdKeysThatCannotBeWrittenAreUndoneAndReported) {
  // "Purgon.EXE" refuses writes: the AppID's own key, created just before it, goes again.
  const std::string denied = "AppID\\Purgon.EXE";
  ASSERT_TRUE(DenyWrites(denied));
  RunResult r = Run("/regserver");
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(r.exitCode, static_cast<DWORD>(HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED)));
  EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, "AppID\\" + kAppId));
  EXPECT_EQ(ReadString(denied, "AppID"), "<missing>");
  ExpectRegistered({RegisteredValues()[2], RegisteredValues()[5]});  // the library is registered

  AllowWrites(denied);
  DeleteRegTreeForTest(HKEY_CLASSES_ROOT, denied);
  EXPECT_EQ(Run("/unregserver").exitCode, static_cast<DWORD>(S_OK));
  EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, kTypeLibKey));
}

// Unregistering reports a script step that fails too: the AppID's value that cannot be
// deleted gives the exit code, and the type library's registration still goes.
TEST_F(Registration, UnregisterReportsAnAppIdValueThatCannotBeDeleted) {
  ASSERT_EQ(Run("/regserver").exitCode, static_cast<DWORD>(S_OK));
  const std::string denied = "AppID\\Purgon.EXE";
  ASSERT_TRUE(DenyWrites(denied));
  const RunResult r = Run("/unregserver");
  ASSERT_TRUE(r.finished);
  EXPECT_EQ(r.exitCode, static_cast<DWORD>(HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED)));
  EXPECT_TRUE(r.boxes.empty());
  EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, kTypeLibKey));
  AllowWrites(denied);
  DeleteRegTreeForTest(HKEY_CLASSES_ROOT, denied);
  DeleteRegTreeForTest(HKEY_CLASSES_ROOT, "AppID\\" + kAppId);
}

}  // namespace
