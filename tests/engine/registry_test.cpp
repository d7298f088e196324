// The registry primitives against Wine's real registry, with the exact log lines and
// failure lists they leave.
#include <gtest/gtest.h>

#include <aclapi.h>

#include <memory>

#include "engine/registry.h"
#include "log_capture.h"
#include "test_support.h"

namespace {

const char kBase[] = "Software\\PurgonEngineTest";

// The value names of a key in the registry's own index order.
std::vector<std::string> ValueNames(const std::string& subKey) {
  std::vector<std::string> names;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return names;
  char name[1024];
  DWORD length = sizeof(name);
  for (DWORD i = 0; RegEnumValueA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
       ++i, length = sizeof(name))
    names.push_back(name);
  RegCloseKey(key);
  return names;
}

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    key_ = std::string(kBase) + "\\" + name;
    DeleteRegTreeForTest(HKEY_CURRENT_USER, key_);
    logDir_ = MakeScratchDir("log-" + name);
    log_.reset(new LogCapture(logDir_ + "purgon.log"));
  }
  void TearDown() override {
    log_.reset();
    DeleteRegTreeForTest(HKEY_CURRENT_USER, key_);
    DeleteTreeForTest(logDir_);
  }
  std::string Hkcu(const std::string& subKey) const { return "HKEY_CURRENT_USER\\" + subKey; }

  std::string key_;  // this test's own key under HKCU
  std::string logDir_;
  std::unique_ptr<LogCapture> log_;
};

TEST_F(RegistryTest, MissingKeyLeavesNoTrace) {
  DeleteRegKeyTree(HKEY_CURRENT_USER, key_.c_str());
  DeleteRegValueNamed(HKEY_CURRENT_USER, key_.c_str(), "x");
  DeleteRegValuesContaining(HKEY_CURRENT_USER, key_.c_str(), "x");
  EXPECT_EQ(log_->Log(), "");
  EXPECT_TRUE(log_->Failures().empty());
}

TEST_F(RegistryTest, ThreeLevelTreeLogsOneLine) {
  for (const char* sub : {"\\a\\b\\c", "\\a\\b2", "\\d"}) ASSERT_TRUE(CreateRegKey(HKEY_CURRENT_USER, key_ + sub));
  SetRegString(HKEY_CURRENT_USER, key_ + "\\a\\b", "v", "data");
  DeleteRegKeyTree(HKEY_CURRENT_USER, key_.c_str());
  EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, key_));
  EXPECT_EQ(log_->Log(), LogLines({KeyOk(Hkcu(key_))}));
  EXPECT_TRUE(log_->Failures().empty());
}

TEST_F(RegistryTest, NamedValueMatchesAnyCaseAndIsLoggedAsStored) {
  SetRegString(HKEY_CURRENT_USER, key_, "MyValue", "1");
  SetRegString(HKEY_CURRENT_USER, key_, "MyValueToo", "2");
  DeleteRegValueNamed(HKEY_CURRENT_USER, key_.c_str(), "myvalue");
  EXPECT_FALSE(RegValueExists(HKEY_CURRENT_USER, key_, "MyValue"));
  EXPECT_TRUE(RegValueExists(HKEY_CURRENT_USER, key_, "MyValueToo"));
  EXPECT_EQ(log_->Log(), LogLines({ValueOk(Hkcu(key_) + " - MyValue")}));
}

TEST_F(RegistryTest, ValuesContainingPatternGoAndKeyStays) {
  SetRegString(HKEY_CURRENT_USER, key_, "a", "1");
  SetRegString(HKEY_CURRENT_USER, key_, "ORVclient", "2");
  SetRegString(HKEY_CURRENT_USER, key_, "b", "3");
  SetRegString(HKEY_CURRENT_USER, key_, "my-Orv", "4");
  const std::vector<std::string> order = ValueNames(key_);
  DeleteRegValuesContaining(HKEY_CURRENT_USER, key_.c_str(), "oRv");
  EXPECT_TRUE(RegValueExists(HKEY_CURRENT_USER, key_, "a"));
  EXPECT_TRUE(RegValueExists(HKEY_CURRENT_USER, key_, "b"));
  EXPECT_FALSE(RegValueExists(HKEY_CURRENT_USER, key_, "ORVclient"));
  EXPECT_FALSE(RegValueExists(HKEY_CURRENT_USER, key_, "my-Orv"));
  // Walked from the highest index down, so logged in the reverse of the registry's order.
  std::vector<std::string> expected;
  for (auto name = order.rbegin(); name != order.rend(); ++name)
    if (*name == "ORVclient" || *name == "my-Orv") expected.push_back(ValueOk(Hkcu(key_) + " - " + *name));
  EXPECT_EQ(log_->Log(), LogLines(expected));
  DeleteRegValuesContaining(HKEY_CURRENT_USER, key_.c_str(), "");
  EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, key_));  // emptied, never removed
}

TEST_F(RegistryTest, ReadRegStringTakesOnlyTerminatedShortStrings) {
  SetRegString(HKEY_CURRENT_USER, key_, "sz", "\"C:\\a b\\x.exe\" /q");
  SetRegString(HKEY_CURRENT_USER, key_, "expand", "%WINDIR%\\x", REG_EXPAND_SZ);
  SetRegDword(HKEY_CURRENT_USER, key_, "dword", 7);
  SetRegString(HKEY_CURRENT_USER, key_, "long", std::string(299, 'a'));  // 300 bytes
  SetRegString(HKEY_CURRENT_USER, key_, "fits", std::string(254, 'b'));  // 255 bytes
  SetRegBinary(HKEY_CURRENT_USER, key_, "nodata", "", REG_SZ);
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, key_.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
  EXPECT_EQ(ReadRegString(key, "sz"), "\"C:\\a b\\x.exe\" /q");
  EXPECT_EQ(ReadRegString(key, "expand"), "%WINDIR%\\x");
  EXPECT_EQ(ReadRegString(key, "dword"), "");
  EXPECT_EQ(ReadRegString(key, "long"), "");
  EXPECT_EQ(ReadRegString(key, "fits"), std::string(254, 'b'));
  EXPECT_EQ(ReadRegString(key, "nodata"), "");
  EXPECT_EQ(ReadRegString(key, "absent"), "");
  RegCloseKey(key);
}

}  // namespace
