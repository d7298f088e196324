// The server module in this process: the idle monitor ending the automation message loop,
// and the class table's start, registration, revocation and shut-down.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>

#include "server/server_module.h"
#include "test_support.h"

namespace {

// A watchdog posts this as WM_QUIT's exit code, so a loop it ended can be told apart.
const WPARAM kWatchdogQuit = 0xDEAD;

class IdleMonitor : public ::testing::Test {
 protected:
  void SetUp() override {
    ServerState& server = Server();
    server.mainThreadId = GetCurrentThreadId();
    server.lockCount = 0;
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the thread needs its queue for WM_QUIT
  }
  void TearDown() override { Server().idleShutdownMs = kIdleShutdownMs; }

  // Runs the automation loop on this thread; returns how long it ran, in milliseconds. A
  // watchdog ends it after `limitMs`; quitByMonitor tells who ended it.
  DWORD RunLoop(DWORD limitMs) {
    const DWORD thread = GetCurrentThreadId();
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    TestThread watchdog([thread, done, limitMs]() {
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
    quitByMonitor = Server().shutdownEvent == nullptr;
    return elapsed;
  }
  bool quitByMonitor = false;
};

TEST_F(IdleMonitor, LoopEndsFiveSecondsAfterTheLastUnlock) {
  ASSERT_TRUE(StartIdleMonitor());
  EXPECT_EQ(LockModule(), 1);
  EXPECT_EQ(LockModule(), 2);
  EXPECT_EQ(UnlockModule(), 1);
  const DWORD unlocked = GetTickCount();
  EXPECT_EQ(UnlockModule(), 0);
  RunLoop(30000);
  EXPECT_TRUE(quitByMonitor);
  EXPECT_GE(GetTickCount() - unlocked, kIdleShutdownMs - 50);
}

// A client on another thread that locks and unlocks the server and notes when the lock count
// last fell to 0. Whatever the machine's speed, the monitor may quit only a whole idle time
// after the last such fall, and never while a lock is held; the client stops once the loop
// has ended, so that nothing it does can be taken for the monitor's doing.
class Client {
 public:
  void Unlock() {
    const DWORD now = GetTickCount();
    UnlockModule();
    // The monitor takes its event out of the state before it quits: a fall after that
    // came too late to count.
    if (Server().shutdownEvent == nullptr) return;
    lastFall_ = now;
    falls_.fetch_add(1);
  }
  bool done() const { return done_.load(); }
  void Finish() { done_.store(true); }
  // True when the loop that just ended ended a whole idle time after the last fall to 0.
  ::testing::AssertionResult EndedIdleAfterLastFall(DWORD idleMs) const {
    const DWORD since = GetTickCount() - lastFall_;
    if (falls_.load() == 0) return ::testing::AssertionFailure() << "no fall to 0 before the end";
    if (since + 50 < idleMs)
      return ::testing::AssertionFailure() << "ended " << since << " ms after a fall to 0";
    return ::testing::AssertionSuccess();
  }

 private:
  volatile DWORD lastFall_ = 0;
  std::atomic<int> falls_{0};
  std::atomic<bool> done_{false};
};

TEST_F(IdleMonitor, ALockHeldWhenTheWaitRunsOutKeepsTheLoopRunningUntilItsRelease) {
  Server().idleShutdownMs = 400;
  ASSERT_TRUE(StartIdleMonitor());
  LockModule();
  UnlockModule();  // wakes the monitor ...
  LockModule();    // ... which finds a lock held when its wait runs out
  Client client;
  std::atomic<bool> released{false};
  TestThread user([&client, &released]() {
    Sleep(1200);  // three idle times with the lock held: the monitor must not quit meanwhile
    released.store(true);
    client.Unlock();
  });
  RunLoop(20000);
  const bool endedAfterRelease = released.load();
  client.Finish();
  user.join();
  EXPECT_TRUE(quitByMonitor);
  EXPECT_TRUE(endedAfterRelease) << "the monitor quit while a lock was held";
  EXPECT_TRUE(client.EndedIdleAfterLastFall(400));
}

TEST_F(IdleMonitor, EachFallToZeroStartsTheWaitAgain) {
  Server().idleShutdownMs = 400;
  ASSERT_TRUE(StartIdleMonitor());
  Client client;
  LockModule();
  client.Unlock();
  TestThread user([&client]() {
    for (int i = 0; i < 8 && !client.done(); ++i) {
      Sleep(100);
      LockModule();
      client.Unlock();
    }
  });
  RunLoop(20000);
  const ::testing::AssertionResult idle = client.EndedIdleAfterLastFall(400);
  client.Finish();
  user.join();
  EXPECT_TRUE(quitByMonitor);
  EXPECT_TRUE(idle);
}

TEST_F(IdleMonitor, WithoutAnyLockTheLoopRunsOn) {
  Server().idleShutdownMs = 100;
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
