// The server module in this process: the idle monitor ending the automation message loop,
// and the class table's start, registration, revocation and shut-down.
#include <gtest/gtest.h>
#include <windows.h>

#include <thread>

#include "app/app_module.h"
#include "server/server_module.h"

namespace {

// A watchdog posts this as WM_QUIT's exit code, so a loop it ended can be told apart.
const WPARAM kWatchdogQuit = 0xDEAD;

class IdleMonitor : public ::testing::Test {
 protected:
  void SetUp() override {
    ServerState& server = TheApp();
    server.mainThreadId = GetCurrentThreadId();
    server.lockCount = 0;
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the thread needs its queue for WM_QUIT
  }
  void TearDown() override { TheApp().idleShutdownMs = kIdleShutdownMs; }

  // Runs the automation loop on this thread; returns how long it ran, in milliseconds. A
  // watchdog ends it after `limitMs`; quitByMonitor tells who ended it.
  DWORD RunLoop(DWORD limitMs) {
    const DWORD thread = GetCurrentThreadId();
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread watchdog([thread, done, limitMs]() {
      if (WaitForSingleObject(done, limitMs) == WAIT_TIMEOUT)
        PostThreadMessageA(thread, WM_QUIT, kWatchdogQuit, 0);
    });
    const DWORD start = GetTickCount();
    RunMessageLoop();
    const DWORD elapsed = GetTickCount() - start;
    SetEvent(done);
    watchdog.join();
    CloseHandle(done);
    // The monitor takes the event out of the state when it posts its WM_QUIT.
    quitByMonitor = TheApp().shutdownEvent == nullptr;
    return elapsed;
  }
  bool quitByMonitor = false;
};

TEST_F(IdleMonitor, LoopEndsFiveSecondsAfterTheLastUnlock) {
  ASSERT_TRUE(StartIdleMonitor());
  EXPECT_EQ(LockModule(), 1);
  EXPECT_EQ(LockModule(), 2);
  EXPECT_EQ(UnlockModule(), 1);
  EXPECT_EQ(UnlockModule(), 0);
  const DWORD elapsed = RunLoop(15000);
  EXPECT_TRUE(quitByMonitor);
  EXPECT_GE(elapsed, 4700u);
  EXPECT_LE(elapsed, 7000u);
}

TEST_F(IdleMonitor, ALockTakenWithinTheWaitKeepsTheLoopRunningUntilItsRelease) {
  TheApp().idleShutdownMs = 400;
  ASSERT_TRUE(StartIdleMonitor());
  LockModule();
  UnlockModule();
  std::thread client([]() {
    Sleep(150);
    LockModule();  // held when the wait runs out: the monitor goes back to waiting
    Sleep(1000);
    UnlockModule();
  });
  const DWORD elapsed = RunLoop(10000);
  client.join();
  EXPECT_TRUE(quitByMonitor);
  EXPECT_GE(elapsed, 1150u + 350u);
  EXPECT_LE(elapsed, 3000u);
}

TEST_F(IdleMonitor, EachFallToZeroStartsTheWaitAgain) {
  TheApp().idleShutdownMs = 400;
  ASSERT_TRUE(StartIdleMonitor());
  LockModule();
  UnlockModule();
  std::thread client([]() {
    for (int i = 0; i < 5; ++i) {
      Sleep(200);
      LockModule();
      UnlockModule();
    }
  });
  const DWORD elapsed = RunLoop(10000);
  client.join();
  EXPECT_TRUE(quitByMonitor);
  EXPECT_GE(elapsed, 1000u + 350u);
  EXPECT_LE(elapsed, 3000u);
}

TEST_F(IdleMonitor, WithoutAnyLockTheLoopRunsOn) {
  TheApp().idleShutdownMs = 100;
  ASSERT_TRUE(StartIdleMonitor());
  RunLoop(1000);
  EXPECT_FALSE(quitByMonitor) << "nothing ever locked the server";
  // Let this monitor end, so that it cannot post into a later test.
  LockModule();
  UnlockModule();
  RunLoop(5000);
  EXPECT_TRUE(quitByMonitor);
}

// A class object that only counts its references.
class CountingFactory : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
      *object = this;
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
  ULONG STDMETHODCALLTYPE Release() override { return --references; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID, void**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
  ULONG references = 0;
};

CountingFactory factory;
int starts = 0;
int stops = 0;
// {3F1C0B52-7A44-4E0B-9C2D-61A7E0F4D915}
const CLSID kTestClass = {0x3f1c0b52, 0x7a44, 0x4e0b, {0x9c, 0x2d, 0x61, 0xa7, 0xe0, 0xf4, 0xd9, 0x15}};

HRESULT CreateFactory(REFIID iid, void** object) { return factory.QueryInterface(iid, object); }
void CountStartsAndStops(bool starting) { ++(starting ? starts : stops); }

TEST(ClassTable, EntriesAreStartedRegisteredRevokedAndReleased) {
  ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
  ClassEntry table[] = {{&kTestClass, CreateFactory, nullptr, CountStartsAndStops, nullptr, 0},
                        {nullptr, nullptr, nullptr, nullptr, nullptr, 0}};
  EXPECT_EQ(InitModule(table, GetModuleHandleA(nullptr), &LIBID_PURGONLib), S_OK);
  EXPECT_EQ(starts, 1);

  EXPECT_EQ(RegisterClassTable(CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE), S_OK);
  EXPECT_NE(table[0].cookie, 0u);
  IClassFactory* found = nullptr;
  EXPECT_EQ(CoGetClassObject(kTestClass, CLSCTX_LOCAL_SERVER, nullptr, IID_IClassFactory,
                             reinterpret_cast<void**>(&found)), S_OK);
  if (found) found->Release();

  EXPECT_EQ(RevokeClassTable(), S_OK);
  EXPECT_EQ(table[0].cookie, 0u);
  TermModule();
  EXPECT_EQ(stops, 1);
  EXPECT_EQ(table[0].classObject, nullptr);
  EXPECT_EQ(factory.references, 0u) << "every reference taken is given back";

  InitModule(kClassTable, GetModuleHandleA(nullptr), &LIBID_PURGONLib);
  CoUninitialize();
}

TEST(ClassTable, TheProgramsTableIsEmpty) {
  EXPECT_EQ(kClassTable[0].clsid, nullptr);
  InitModule(kClassTable, GetModuleHandleA(nullptr), &LIBID_PURGONLib);
  EXPECT_EQ(RegisterClassTable(CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE), S_OK);
  EXPECT_EQ(RevokeClassTable(), S_OK);
}

}  // namespace
