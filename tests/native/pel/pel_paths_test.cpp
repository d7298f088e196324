// Path rules of the PEL removal: what the "dir" value may make it delete, and the buffers.
#include <gtest/gtest.h>

#include <string>

#include "pel/pel_paths.h"

namespace {

std::string InstallFolder(const std::string& dir) {
  std::string folder = "(untouched)";
  return InstallFolderFromBinDir(dir, folder) ? folder : "(skipped)";
}

TEST(PelInstallFolder, TheFolderAboveBinIsTakenInAnyCase) {
  EXPECT_EQ(InstallFolder("C:\\Program Files\\Varenta\\bin\\"), "C:\\Program Files\\Varenta\\");
  EXPECT_EQ(InstallFolder("D:\\Apps\\Varenta\\BIN\\"), "D:\\Apps\\Varenta\\");
  EXPECT_EQ(InstallFolder("\\\\server\\share\\Varenta\\Bin\\"), "\\\\server\\share\\Varenta\\");
}

TEST(PelInstallFolder, ADriveRootOrShareIsNeverTheInstallFolder) {
  EXPECT_EQ(InstallFolder("C:\\bin\\"), "(skipped)");
  EXPECT_EQ(InstallFolder("c:\\BIN\\"), "(skipped)");
  EXPECT_EQ(InstallFolder("\\\\server\\share\\bin\\"), "(skipped)");
}

TEST(PelInstallFolder, ValuesThatDoNotNameABinFolderPlainlyAreSkipped) {
  EXPECT_EQ(InstallFolder(""), "(skipped)");
  EXPECT_EQ(InstallFolder("bin"), "(skipped)");       // shorter than four characters
  EXPECT_EQ(InstallFolder("bin\\"), "(skipped)");     // nothing left
  EXPECT_EQ(InstallFolder("C:\\Varenta\\bin"), "(skipped)");        // no trailing backslash
  EXPECT_EQ(InstallFolder("C:\\Varenta\\program\\"), "(skipped)");  // not bin
  EXPECT_EQ(InstallFolder("C:\\Varentabin\\"), "(skipped)");        // "C:\Varenta" is no folder path
  EXPECT_EQ(InstallFolder("Varenta\\bin\\"), "(skipped)");          // relative
  EXPECT_EQ(InstallFolder("\\Varenta\\bin\\"), "(skipped)");        // relative to the drive
  EXPECT_EQ(InstallFolder("C:Varenta\\bin\\"), "(skipped)");
  EXPECT_EQ(InstallFolder("C:\\Users\\..\\bin\\"), "(skipped)");
  EXPECT_EQ(InstallFolder("C:\\Users\\.\\bin\\"), "(skipped)");
  EXPECT_EQ(InstallFolder("C:\\\\Users\\bin\\"), "(skipped)");
  EXPECT_EQ(InstallFolder("C:\\*\\bin\\"), "(skipped)");
  EXPECT_EQ(InstallFolder("C:\\a/b\\bin\\"), "(skipped)");
}

TEST(PelInstallFolder, AFolderThatWouldNotFitIts260CharacterBufferIsSkipped) {
  const std::string fits = "C:\\" + std::string(255, 'a') + "\\";  // 259 characters
  EXPECT_EQ(InstallFolder(fits + "bin\\"), fits);
  EXPECT_EQ(InstallFolder("C:\\" + std::string(256, 'a') + "\\bin\\"), "(skipped)");
}

TEST(PelPaths, TemporaryImagesFolderWithOrWithoutTheTrailingBackslash) {
  std::string folder;
  ASSERT_TRUE(TempImagesFolder("C:\\Temp\\", folder));
  EXPECT_EQ(folder, "C:\\Temp\\q.images\\");
  ASSERT_TRUE(TempImagesFolder("C:\\Temp", folder));
  EXPECT_EQ(folder, "C:\\Temp\\q.images\\");
  folder = "kept";
  EXPECT_FALSE(TempImagesFolder("", folder));
  EXPECT_FALSE(TempImagesFolder("C:\\" + std::string(247, 't') + "\\", folder));  // 260 long
  EXPECT_EQ(folder, "kept");
  EXPECT_TRUE(TempImagesFolder("C:\\" + std::string(246, 't') + "\\", folder));   // 259 long
}

TEST(PelPaths, AcrobatPluginFolderIsAppendedAsItIsAndMustBeAbsolute) {
  std::string folder;
  ASSERT_TRUE(AcrobatPluginFolder("C:\\Program Files\\Adobe\\Acrobat 6.0\\Reader", folder));
  EXPECT_EQ(folder, "C:\\Program Files\\Adobe\\Acrobat 6.0\\Reader\\Plug_ins\\Varenta\\");
  folder = "kept";
  EXPECT_FALSE(AcrobatPluginFolder("", folder));
  EXPECT_FALSE(AcrobatPluginFolder("Reader", folder));
  EXPECT_FALSE(AcrobatPluginFolder("C:\\" + std::string(239, 'r'), folder));  // 260 with the tail
  EXPECT_EQ(folder, "kept");
  EXPECT_TRUE(AcrobatPluginFolder("C:\\" + std::string(238, 'r'), folder));
}

TEST(PelPaths, OnlyTheTwoLetterEditionNamesItsRunValuesExactly) {
  int exact = 0;
  for (const BrandEdition& edition : kBrandEditions) exact += RunValuesNamedExactly(edition);
  EXPECT_EQ(exact, 1);
  EXPECT_TRUE(RunValuesNamedExactly(kBrandEditions[5]));
  BrandEdition upper = kBrandEditions[5];
  upper.editionId = "GW";
  EXPECT_TRUE(RunValuesNamedExactly(upper));
}

}  // namespace
