// The program's version resource, read back from the built executable as Windows reads it.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "test_support.h"
#include "version.h"

namespace {

std::vector<char> VersionBlock() {
  const std::string path = PurgonPath();
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
  std::vector<char> block(size);
  if (size) GetFileVersionInfoA(path.c_str(), 0, size, block.data());
  return block;
}

std::string StringValue(std::vector<char>& block, const char* name) {
  char* text = nullptr;
  UINT length = 0;
  std::string query = std::string("\\StringFileInfo\\040904b0\\") + name;
  if (!VerQueryValueA(block.data(), query.c_str(), reinterpret_cast<void**>(&text), &length)) return "";
  return text ? text : "";
}

TEST(VersionResource, CarriesTheVersionInTheFixedPartAndBothTexts) {
  std::vector<char> block = VersionBlock();
  ASSERT_FALSE(block.empty());
  EXPECT_EQ(StringValue(block, "FileVersion"), PURGON_VERSION_TEXT);
  EXPECT_EQ(StringValue(block, "ProductVersion"), PURGON_VERSION_TEXT);

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  const DWORD expected[4] = {PURGON_VERSION_BINARY};
  EXPECT_EQ(fixed->dwFileVersionMS, (expected[0] << 16) | expected[1]);
  EXPECT_EQ(fixed->dwFileVersionLS, (expected[2] << 16) | expected[3]);
  EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
  EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

  struct Translation { WORD language, codePage; }* translation = nullptr;
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation",
                             reinterpret_cast<void**>(&translation), &length));
  EXPECT_EQ(translation->language, 0x0409);
  EXPECT_EQ(translation->codePage, 1200);
}

// The program is a 32-bit GUI executable that needs no runtime DLL besides the system's.
TEST(VersionResource, ProgramIsA32BitGuiExecutable) {
  const std::string bytes = ReadFileBytes(PurgonPath());
  ASSERT_GT(bytes.size(), 0x200u);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(bytes.data());
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(bytes.data() + dos->e_lfanew);
  EXPECT_EQ(nt->FileHeader.Machine, IMAGE_FILE_MACHINE_I386);
  EXPECT_EQ(nt->OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
  for (const char* runtime : {"libstdc++", "libgcc_s", "libwinpthread"})
    EXPECT_EQ(bytes.find(std::string(runtime) + "-"), std::string::npos) << runtime;
}

}  // namespace
