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

// State shared by the main thread and the idle monitor thread.
struct ServerState {
  volatile LONG lockCount = 0;     // changed by interlocked operations only
  ClassEntry* classTable = nullptr;
  HINSTANCE instance = nullptr;
  const GUID* typeLibId = nullptr;
  DWORD mainThreadId = 0;          // receives WM_QUIT from the idle monitor
  HANDLE shutdownEvent = nullptr;  // auto-reset, signalled when lockCount falls to 0
  volatile bool activity = false;  // set when lockCount falls to 0, cleared by the monitor
};

// The server's class table: empty, the program offers no creatable class.
extern ClassEntry kClassTable[];
// The identifier of the program's type library.
extern const GUID LIBID_PURGONLib;

HRESULT InitModule(ClassEntry* classTable, HINSTANCE instance, const GUID* typeLibId);
void TermModule();
HRESULT RegisterClassTable(DWORD classContext, DWORD flags);
HRESULT RevokeClassTable();
bool StartIdleMonitor();
LONG LockModule();
LONG UnlockModule();
HRESULT RegisterSelf();
HRESULT UnregisterSelf();
