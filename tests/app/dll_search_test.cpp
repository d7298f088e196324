// A DLL lying in the program's own folder (a downloads folder, where anyone may put one) is
// not what the program uses: VERSION.dll comes from the system folder, and after start-up no
// DLL beside the program is found by name, while the system's still are. In its own
// executable: the search path cannot be put back once restricted.
#include <gtest/gtest.h>

#include <windows.h>

#include "app/dll_search.h"
#include "test_support.h"
#include "version.h"

namespace {

TEST(DllSearch, ADllBesideTheProgramIsNotLoadedByNameAfterStartUp) {
  const char kPlanted[] = "fake_pel_control.dll";  // a DLL of the build, beside this test
  // It is loadable as such: by its full path.
  HMODULE byPath = LoadLibraryExA((BinDir() + kPlanted).c_str(), nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(byPath, nullptr);
  FreeLibrary(byPath);

  EXPECT_TRUE(RestrictDllSearch());
  EXPECT_EQ(LoadLibraryA(kPlanted), nullptr);
  HMODULE system = LoadLibraryA("msxml3.dll");
  EXPECT_NE(system, nullptr);
  if (system) FreeLibrary(system);
}

// Imported, VERSION.dll was taken from beside the program first, before anything could
// restrict the search: a copy planted there ran in the elevated program and answered it.
TEST(DllSearch, AVersionDllPlantedBesideTheProgramIsNotTheOneItUses) {
  const std::string dir = MakeScratchDir("planted-version");
  const std::string planted = BinDir() + "planted\\VERSION.dll";
  ASSERT_TRUE(CopyFileA(planted.c_str(), (dir + "VERSION.dll").c_str(), FALSE));
  ASSERT_TRUE(CopyFileA(PurgonPath().c_str(), (dir + "purgon.exe").c_str(), FALSE));
  // Windows takes a DLL beside the program before its own; Wine takes its own unless told.
  ASSERT_TRUE(SetRegString(HKEY_CURRENT_USER,
                           "Software\\Wine\\AppDefaults\\purgon.exe\\DllOverrides", "version",
                           "native,builtin"));
  const RunResult r = RunProgram(dir + "purgon.exe", "/ql", dir, PressEach({"No"}));
  ASSERT_TRUE(r.finished);
  ASSERT_EQ(r.boxes.size(), 1u);
  // Wine's own user32 imports VERSION.dll, so under Wine the planted copy is loaded into every
  // program beside it (its mark shows the run had it in reach); the program must not use it.
  ASSERT_TRUE(FileExists(dir + "planted-version-loaded"));
  EXPECT_EQ(r.boxes[0].caption, "Purgon " PURGON_VERSION_TEXT)
      << "the planted VERSION.dll answered";
  DeleteTreeForTest(dir);
}

}  // namespace
