#include "server/server_module.h"

#include "app/app_module.h"

ClassEntry kClassTable[] = {{nullptr, nullptr, nullptr, nullptr, nullptr, 0}};

// {5B1D3A70-8C2E-4F57-9A61-2D7E4C0B9F13}
const GUID LIBID_PURGONLib = {0x5b1d3a70, 0x8c2e, 0x4f57, {0x9a, 0x61, 0x2d, 0x7e, 0x4c, 0x0b, 0x9f, 0x13}};

HRESULT InitModule(ClassEntry* classTable, HINSTANCE instance, const GUID* typeLibId) {
  ServerState& server = TheApp();
  server.classTable = classTable;
  server.instance = instance;
  server.typeLibId = typeLibId;
  return S_OK;
}

void TermModule() {}

HRESULT RegisterClassTable(DWORD, DWORD) { return S_OK; }

HRESULT RevokeClassTable() { return S_OK; }

bool StartIdleMonitor() { return true; }

LONG LockModule() { return InterlockedIncrement(&TheApp().lockCount); }

LONG UnlockModule() { return InterlockedDecrement(&TheApp().lockCount); }

HRESULT RegisterSelf() { return S_OK; }

HRESULT UnregisterSelf() { return S_OK; }
