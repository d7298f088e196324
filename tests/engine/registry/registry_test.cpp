// The registry primitives against Wine's real registry, with the exact log lines and
// failure lists they leave.
#include <gtest/gtest.h>


#include <memory>

#include "engine/backup/backup_restore.h"
#include "engine/removal/policies.h"
#include "engine/registry/registry.h"
#include "engine/removal/remover.h"
#include "engine/text/wide_text.h"
#include "log_capture.h"
#include "test_support.h"

namespace {

const char kBase[] = "Software\\PurgonEngineTest";

// The value names of a key in the registry's own index order.
std::vector<std::string> ValueNames(const std::string& subKey) {
  std::vector<std::string> names;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return names;
  char name[2048];
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
    run_.reset(new TestRun(logDir_ + "purgon.log"));
  }
  void TearDown() override {
    run_.reset();
    DeleteRegTreeForTest(HKEY_CURRENT_USER, key_);
    DeleteTreeForTest(logDir_);
  }
  std::string Hkcu(const std::string& subKey) const { return "HKEY_CURRENT_USER\\" + subKey; }

  std::string key_;  // this test's own key under HKCU
  std::string logDir_;
  // The registry primitives of the fixture's run, by the tests' own ANSI texts.
  LONG DeleteRegKeyTree(HKEY root, const std::string& path) { return run_->remove.DeleteKeyTree(root, Widen(path)); }
  LONG DeleteRegValueNamed(HKEY root, const std::string& path, const std::string& name) {
    return run_->remove.DeleteValue(root, Widen(path), Widen(name));
  }
  LONG DeleteRegValuesContaining(HKEY root, const std::string& path, const std::string& word) {
    return run_->remove.DeleteValuesContaining(root, Widen(path), Widen(word));
  }
  LONG DeleteRegValuesContaining(HKEY root, const std::wstring& path, const std::wstring& word) {
    return run_->remove.DeleteValuesContaining(root, path, word);
  }

  std::unique_ptr<TestRun> run_;
};

TEST_F(RegistryTest, MissingKeyLeavesNoTrace) {
  DeleteRegKeyTree(HKEY_CURRENT_USER, key_.c_str());
  DeleteRegValueNamed(HKEY_CURRENT_USER, key_.c_str(), "x");
  DeleteRegValuesContaining(HKEY_CURRENT_USER, key_.c_str(), "x");
  EXPECT_EQ(run_->Log(), "");
  EXPECT_TRUE(run_->Failures().empty());
}

TEST_F(RegistryTest, ThreeLevelTreeLogsOneLine) {
  for (const char* sub : {"\\a\\b\\c", "\\a\\b2", "\\d"}) ASSERT_TRUE(CreateRegKey(HKEY_CURRENT_USER, key_ + sub));
  SetRegString(HKEY_CURRENT_USER, key_ + "\\a\\b", "v", "data");
  DeleteRegKeyTree(HKEY_CURRENT_USER, key_.c_str());
  EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, key_));
  EXPECT_EQ(run_->Log(), LogLines({KeyOk(Hkcu(key_))}));
  EXPECT_TRUE(run_->Failures().empty());
}

TEST_F(RegistryTest, NamedValueMatchesAnyCaseAndIsLoggedAsStored) {
  SetRegString(HKEY_CURRENT_USER, key_, "MyValue", "1");
  SetRegString(HKEY_CURRENT_USER, key_, "MyValueToo", "2");
  DeleteRegValueNamed(HKEY_CURRENT_USER, key_.c_str(), "myvalue");
  EXPECT_FALSE(RegValueExists(HKEY_CURRENT_USER, key_, "MyValue"));
  EXPECT_TRUE(RegValueExists(HKEY_CURRENT_USER, key_, "MyValueToo"));
  EXPECT_EQ(run_->Log(), LogLines({ValueOk(Hkcu(key_) + " - MyValue")}));
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
  EXPECT_EQ(run_->Log(), LogLines(expected));
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
  EXPECT_EQ(ReadRegString(key, L"sz"), L"\"C:\\a b\\x.exe\" /q");
  EXPECT_EQ(ReadRegString(key, L"expand"), L"%WINDIR%\\x");
  EXPECT_EQ(ReadRegString(key, L"dword"), L"");
  EXPECT_EQ(ReadRegString(key, L"long"), L"");
  EXPECT_EQ(ReadRegString(key, L"fits"), std::wstring(254, L'b'));
  EXPECT_EQ(ReadRegString(key, L"nodata"), L"");
  EXPECT_EQ(ReadRegString(key, L"absent"), L"");
  RegCloseKey(key);
}

bool SetKeyDeny(const std::string& subKey, DWORD deny) {
  return SetKeyDeny(HKEY_CURRENT_USER, subKey, deny);
}

// A sub-key that cannot be deleted stays with its parents up to the named key, whose removal
// is the one reported; its later siblings are still removed and the walk ends.
TEST_F(RegistryTest, UndeletableNestedKeyFailsNamedKeyAndSiblingsStillGo) {
  for (const char* sub : {"\\a\\locked\\inner", "\\a\\z", "\\b\\c", "\\d"})
    ASSERT_TRUE(CreateRegKey(HKEY_CURRENT_USER, key_ + sub));
  ASSERT_TRUE(SetKeyDeny(key_ + "\\a\\locked", GENERIC_ALL));
  const LONG error = DeleteRegKeyTree(HKEY_CURRENT_USER, key_.c_str());
  const bool lockedStays = RegKeyExists(HKEY_CURRENT_USER, key_ + "\\a");
  const bool siblingsGone = !RegKeyExists(HKEY_CURRENT_USER, key_ + "\\a\\z") &&
                            !RegKeyExists(HKEY_CURRENT_USER, key_ + "\\b") &&
                            !RegKeyExists(HKEY_CURRENT_USER, key_ + "\\d");
  SetKeyDeny(key_ + "\\a\\locked", 0);  // let the tear-down remove it
  EXPECT_TRUE(lockedStays);
  EXPECT_TRUE(siblingsGone);
  EXPECT_EQ(run_->Log(), LogLines({KeyFailed(Hkcu(key_))}));
  EXPECT_EQ(run_->Failures(), std::vector<std::string>{Hkcu(key_)});
  EXPECT_EQ(error, ERROR_ACCESS_DENIED);  // a key with a sub-key left cannot go
  EXPECT_EQ(run_->Reasons(), std::vector<unsigned long>{ERROR_ACCESS_DENIED});
}

// A user without write access to the named key: nothing is deleted, logged or listed.
TEST_F(RegistryTest, KeyWithoutWriteAccessIsPassedOverSilently) {
  ASSERT_TRUE(CreateRegKey(HKEY_CURRENT_USER, key_ + "\\sub"));
  SetRegString(HKEY_CURRENT_USER, key_, "orv", "1");
  ASSERT_TRUE(SetKeyDeny(key_, KEY_SET_VALUE));
  DeleteRegKeyTree(HKEY_CURRENT_USER, key_.c_str());
  DeleteRegValuesContaining(HKEY_CURRENT_USER, key_.c_str(), "orv");
  const bool keyStays = RegKeyExists(HKEY_CURRENT_USER, key_ + "\\sub");
  const bool valueStays = RegValueExists(HKEY_CURRENT_USER, key_, "orv");
  SetKeyDeny(key_, 0);
  EXPECT_TRUE(keyStays);
  EXPECT_TRUE(valueStays);
  EXPECT_EQ(run_->Log(), "");
  EXPECT_TRUE(run_->Failures().empty());
}

// A path with an empty name would open the parent (or the root itself): refused and listed.
TEST_F(RegistryTest, KeyPathWithAnEmptyNameIsRefused) {
  ASSERT_TRUE(CreateRegKey(HKEY_CURRENT_USER, key_ + "\\sub"));
  const std::vector<std::string> paths = {key_ + "\\", "", "\\" + key_,
                                          key_ + "\\\\sub"};
  std::vector<std::string> lines, listed;
  for (const std::string& path : paths) {
    DeleteRegKeyTree(HKEY_CURRENT_USER, path.c_str());
    lines.push_back(KeyFailed(Hkcu(path)));
    listed.push_back(Hkcu(path));
  }
  EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, key_ + "\\sub"));
  EXPECT_EQ(run_->Log(), LogLines(lines));
  EXPECT_EQ(run_->Failures(), listed);
  EXPECT_EQ(run_->Reasons(), std::vector<unsigned long>(paths.size(), Outcome::kErrorRefused));
}

// 5,000 values, every other one holding the pattern in some case: exactly those go, each
// logged once with its name as stored, in the reverse of the registry's order.
TEST_F(RegistryTest, HalfOfFiveThousandValuesMatch) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS);
  const char* const spellings[] = {"ORV", "orv", "Orv", "oRV"};
  for (int i = 0; i < 5000; ++i) {
    const std::string name = i % 2 ? "keep" + std::to_string(i)
                                   : std::to_string(i) + spellings[(i / 2) % 4] + "x";
    RegSetValueExA(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&i), 4);
  }
  RegCloseKey(key);
  const std::vector<std::string> before = ValueNames(key_);
  ASSERT_EQ(before.size(), 5000u);
  DeleteRegValuesContaining(HKEY_CURRENT_USER, key_.c_str(), "orv");
  std::vector<std::string> expected, kept;
  for (auto name = before.rbegin(); name != before.rend(); ++name)
    if (name->compare(0, 4, "keep") != 0) expected.push_back(ValueOk(Hkcu(key_) + " - " + *name));
  for (const std::string& name : before)
    if (name.compare(0, 4, "keep") == 0) kept.push_back(name);
  EXPECT_EQ(expected.size(), 2500u);
  EXPECT_EQ(ValueNames(key_), kept);
  EXPECT_EQ(run_->Log(), LogLines(expected));
}

// A value name longer than the 1024-byte buffer is never cut into another name, and the
// values below it in the walk are still examined.
TEST_F(RegistryTest, OverlongValueNameIsSkippedAndWalkGoesOn) {
  const std::string longName = "orv" + std::string(1100, 'n');
  SetRegString(HKEY_CURRENT_USER, key_, "a-orv", "1");
  SetRegString(HKEY_CURRENT_USER, key_, longName, "2");
  SetRegString(HKEY_CURRENT_USER, key_, "orv", "3");
  const std::vector<std::string> order = ValueNames(key_);
  ASSERT_EQ(order.size(), 3u);
  DeleteRegValuesContaining(HKEY_CURRENT_USER, key_.c_str(), "orv");
  EXPECT_EQ(ValueNames(key_), std::vector<std::string>{longName});
  std::vector<std::string> expected;
  for (auto name = order.rbegin(); name != order.rend(); ++name)
    if (*name != longName) expected.push_back(ValueOk(Hkcu(key_) + " - " + *name));
  EXPECT_EQ(run_->Log(), LogLines(expected));
}

// Sub-keys and values whose names the ANSI code page cannot spell are enumerated by their
// UTF-16 names and deleted like any other: nothing of the tree stays, and a value is logged
// with "?" for what the code page lacks.
TEST_F(RegistryTest, NamesTheCodePageCannotSpellAreDeletedToo) {
  ASSERT_TRUE(CreateRegKey(HKEY_CURRENT_USER, key_ + "\\plain"));
  const std::wstring wide = std::wstring(key_.begin(), key_.end()) + L"\\\x4e2d\x6587";
  HKEY created = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, wide.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &created, nullptr),
            ERROR_SUCCESS);
  RegSetValueExW(created, L"orv-\x6570\x636e", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"x"), 4);
  RegCloseKey(created);
  DeleteRegValuesContaining(HKEY_CURRENT_USER, Widen(key_) + L"\\\x4e2d\x6587", L"orv");
  DeleteRegKeyTree(HKEY_CURRENT_USER, key_.c_str());
  EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, key_));
  EXPECT_EQ(run_->Log(), LogLines({ValueOk(Hkcu(key_) + "\\?? - orv-??"), KeyOk(Hkcu(key_))}));
  EXPECT_TRUE(run_->Failures().empty());
}

}  // namespace

namespace {

// Windows shows a user's own registration in HKEY_CLASSES_ROOT before the machine's, and a
// deletion through it takes the user's. Wine keeps the halves apart, so the test lays the
// user's classes over HKEY_CLASSES_ROOT as Windows would show them. The backup keeps the key
// under the half it was taken from, and the restore puts it back there, not machine-wide.
TEST(ClassesHalves, AKeyTakenFromTheUsersClassesGoesBackThere) {
  ASSERT_TRUE(SetRegString(HKEY_CURRENT_USER, "Software\\Classes\\PurgonHalf\\CLSID", "", "{1}"));
  HKEY userClasses = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Classes", 0, KEY_ALL_ACCESS, &userClasses),
            ERROR_SUCCESS);
  ASSERT_EQ(RegOverridePredefKey(HKEY_CLASSES_ROOT, userClasses), ERROR_SUCCESS);
  TestRun log(MakeScratchDir("classes-half") + "purgon.log", ChangeMode::Backup);
  log.remove.DeleteKeyTree(HKEY_CLASSES_ROOT, L"PurgonHalf");
  RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
  RegCloseKey(userClasses);
  EXPECT_EQ(log.Log(), LogLines({KeyOk("HKEY_CLASSES_ROOT\\PurgonHalf")}));
  ASSERT_FALSE(RegKeyExists(HKEY_CURRENT_USER, "Software\\Classes\\PurgonHalf"));

  TestRun restore(MakeScratchDir("classes-half-restore") + "purgon.log");
  const RestoreOutcome restored = RestoreBackup(restore.context, "", {"orv"});
  EXPECT_EQ(restored.problem, "");
  EXPECT_TRUE(RegValueExists(HKEY_CURRENT_USER, "Software\\Classes\\PurgonHalf\\CLSID", ""));
  EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, "Software\\Classes\\PurgonHalf"));
  DeleteRegTreeForTest(HKEY_CURRENT_USER, "Software\\Classes\\PurgonHalf");
}

}  // namespace

namespace {

// Windows 9x takes every name through the code page: a name that would come out as another
// one (a look-alike that "best fit" puts in, a "?" for what is missing) has no ANSI form, so no
// ANSI call is ever made for the neighbour it would name.
TEST(CodePageNames, OnlyANameSpelledAsItIsHasAnAnsiForm) {
  std::string ansi;
  EXPECT_TRUE(ExactAnsi(L"Varenta\\orv.ini", ansi));
  EXPECT_EQ(ansi, "Varenta\\orv.ini");
  for (const wchar_t* other : {L"\xff36" L"arenta",  // FULLWIDTH V, which best fit makes "V"
                               L"\x0100" L"rv",      // A WITH MACRON, which best fit makes "A"
                               L"orv\x4e2d",         // no such character in the code page
                               L"orv\xd800"}) {      // half of a surrogate pair
    EXPECT_FALSE(ExactAnsi(other, ansi)) << Utf8Of(other);
    EXPECT_TRUE(ansi.empty());
    EXPECT_FALSE(FitsCodePage(other));
  }
}

}  // namespace
