#pragma once
// The COM local-server side of the program: its module state, class table, idle monitor
// and self-registration.
#include <windows.h>
#include <objbase.h>

// One class the server exposes. The table ends with an entry whose clsid is null.
struct ClassEntry {
  const CLSID* clsid;
  HRESULT (*createClassObject)(REFIID iid, void** object);
  HRESULT (*updateRegistry)(bool registering);  // the class's own registration script
  void (*objectMain)(bool starting);            // start-up and shut-down hook
  IUnknown* classObject;                        // made on registration
  DWORD cookie;                                 // from CoRegisterClassObject
};

// How long the server stays idle, after its lock count last fell to 0, before it quits.
constexpr DWORD kIdleShutdownMs = 5000;

// State shared by the main thread and the idle monitor thread.
struct ServerState {
  volatile LONG lockCount = 0;     // changed by interlocked operations only
  ClassEntry* classTable = nullptr;
  HINSTANCE instance = nullptr;
  const GUID* typeLibId = nullptr;
  DWORD mainThreadId = 0;                   // receives WM_QUIT from the idle monitor
  HANDLE volatile shutdownEvent = nullptr;  // auto-reset, signalled when lockCount falls to 0
  volatile bool activity = false;           // set when lockCount falls to 0, cleared by the monitor
  DWORD idleShutdownMs = kIdleShutdownMs;   // tests shorten it
};

// The process's one server state: the one the application object hands over at its start (a
// state of the server module's own until then).
ServerState& Server();
void UseServerState(ServerState& state);

// The server's class table: empty, the program offers no creatable class.
extern ClassEntry kClassTable[];
// The identifier of the program's type library (the uuid of res/purgon.idl).
extern const GUID LIBID_PURGONLib;

// Records the table, the program instance and the type library, and starts every class.
HRESULT InitModule(ClassEntry* classTable, HINSTANCE instance, const GUID* typeLibId);
// Releases every class object and shuts every class down.
void TermModule();
// Registers (revokes) the class object of every class; stops at the first failure.
HRESULT RegisterClassTable(DWORD classContext, DWORD flags);
HRESULT RevokeClassTable();
// Creates the shutdown event and the idle monitor thread, which posts WM_QUIT to the main
// thread once the server has stayed unlocked for idleShutdownMs. True when both exist.
bool StartIdleMonitor();
// Take and release a lock on the server; each returns the new lock count.
LONG LockModule();
LONG UnlockModule();
// Serves COM requests on the calling thread until WM_QUIT arrives.
void RunMessageLoop();
// Writes (removes) the program's AppID keys and its type library registration. The result
// is the first failure of the class table and the type library, else the failure of the
// AppID script, else the type library's success. The AppID script runs first in any case.
HRESULT RegisterSelf();
HRESULT UnregisterSelf();
