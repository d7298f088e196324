// After start-up, a DLL lying in the program's own folder (a downloads folder, where anyone
// may put one) is no longer found by name; the system's DLLs still are. In its own
// executable: the search path cannot be put back once restricted.
#include <gtest/gtest.h>

#include <windows.h>

#include "app/dll_search.h"
#include "test_support.h"

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

}  // namespace
