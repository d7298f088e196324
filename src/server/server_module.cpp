#include "server/server_module.h"

#include "engine/text/text_utils.h"

namespace {

ServerState* gServer = nullptr;

}  // namespace

void UseServerState(ServerState& state) { gServer = &state; }

ServerState& Server() {
  static ServerState own;
  return gServer ? *gServer : own;
}

#include <oleauto.h>

#include <string>
#include <vector>

#include "engine/core/handles.h"
#include "engine/core/optional_calls.h"
#include "engine/registry/registry.h"
#include "resource.h"
#include "server/registrar.h"
#include "engine/text/wide_text.h"

ClassEntry kClassTable[] = {{nullptr, nullptr, nullptr, nullptr, nullptr, 0}};

// {5B1D3A70-8C2E-4F57-9A61-2D7E4C0B9F13}: also the uuid of the library in res/purgon.idl.
const GUID LIBID_PURGONLib = {0x5b1d3a70, 0x8c2e, 0x4f57, {0x9a, 0x61, 0x2d, 0x7e, 0x4c, 0x0b, 0x9f, 0x13}};

namespace {

HINSTANCE Instance() {
  HINSTANCE instance = Server().instance;
  return instance ? instance : GetModuleHandleA(nullptr);
}

std::string ModulePath() {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(Instance(), path, MAX_PATH);
  return std::string(path, length < MAX_PATH ? length : 0);
}

// The registration script of "REGISTRY" resource 100, run with the registrar's three
// replacement variables.
HRESULT RunOwnScript(bool registering) {
  HINSTANCE instance = Instance();
  HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(IDR_REGISTRY), "REGISTRY");
  if (!found) return HRESULT_FROM_WIN32(GetLastError());
  const char* data = static_cast<const char*>(LockResource(LoadResource(instance, found)));
  const DWORD size = SizeofResource(instance, found);
  if (!data || size == 0) return E_FAIL;
  const std::string path = ModulePath();
  const std::vector<RegistrarVariable> variables = {
      {"Module", "\"" + path + "\""}, {"Module_Raw", path}, {"APPID", ""}};
  return RunRegistrarScript(std::string(data, size), variables, registering);
}

std::string WithExtension(const std::string& path, const char* extension) {
  const size_t slash = path.rfind('\\');
  const size_t dot = path.rfind('.');
  const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  return (hasExtension ? path.substr(0, dot) : path) + extension;
}

// Loads a type library without registering it where OLE automation can (LoadTypeLibEx, from
// version 2.40 on); older versions have only LoadTypeLib, which may register it as well: what
// follows registers or unregisters it anyway.
HRESULT LoadTypeLibFrom(const std::string& path, ComPtr<ITypeLib>& library) {
  if (const auto loadEx = Optional().loadTypeLibEx)
    return loadEx(Widen(path).c_str(), REGKIND_NONE, library.Receive());
  return LoadTypeLib(Widen(path).c_str(), library.Receive());
}

// The program's type library: its own TYPELIB resource, else the .tlb file beside it.
HRESULT LoadOwnTypeLib(ComPtr<ITypeLib>& library, std::string& loadedFrom) {
  loadedFrom = ModulePath();
  if (loadedFrom.empty()) return HRESULT_FROM_WIN32(GetLastError());
  HRESULT hr = LoadTypeLibFrom(loadedFrom, library);
  if (SUCCEEDED(hr)) return hr;
  loadedFrom = WithExtension(loadedFrom, ".tlb");
  return LoadTypeLibFrom(loadedFrom, library);
}

// Deletes the key and everything below it, deepest first; a key that is not there is no error.
LONG DeleteKeyTree(HKEY root, const std::wstring& path) {
  {
    RegKey key;
    const LONG opened = OpenKey(root, path, kKeyReadWrite, key);
    if (opened == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
    if (opened != ERROR_SUCCESS) return opened;
    if (const LONG status = DeleteSubKeys(key.get(), SubKeyStays::Stop)) return status;
  }
  const LONG status = DeleteKey(root, path);
  return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

// A version number as the TypeLib key spells it: hexadecimal, lower case.
std::wstring Hex(unsigned value) {
  std::wstring text;
  do {
    text.insert(text.begin(), L"0123456789abcdef"[value % 16]);
    value /= 16;
  } while (value);
  return text;
}

// What UnRegisterTypeLib does, for OLE automation older than 2.40, which lacks it: the
// library's version key under HKEY_CLASSES_ROOT\TypeLib goes, and its own key when no other
// version is left. (The program's library declares no interfaces to unregister.)
HRESULT UnregisterTypeLibKeys(const TLIBATTR& attributes) {
  wchar_t guid[40] = {};
  if (!StringFromGUID2(attributes.guid, guid, 40)) return E_FAIL;
  const std::wstring version = Hex(attributes.wMajorVerNum) + L"." + Hex(attributes.wMinorVerNum);
  const std::wstring library = std::wstring(L"TypeLib\\") + guid;
  LONG status = DeleteKeyTree(HKEY_CLASSES_ROOT, library + L"\\" + version);
  RegKey key;
  DWORD left = 0;
  if (status == ERROR_SUCCESS && OpenKey(HKEY_CLASSES_ROOT, library, KEY_READ, key) == ERROR_SUCCESS &&
      CountSubKeys(key.get(), left) == ERROR_SUCCESS && left == 0) {
    key.Reset();
    status = DeleteKeyTree(HKEY_CLASSES_ROOT, library);
  }
  return HRESULT_FROM_WIN32(status);
}

HRESULT RegisterOwnTypeLib() {
  ComPtr<ITypeLib> library;
  std::string path;
  HRESULT hr = LoadOwnTypeLib(library, path);
  if (FAILED(hr)) return hr;
  std::wstring widePath = Widen(path);
  // The folder without its last backslash; a drive root keeps its own ("C:\\").
  std::wstring helpDir = Widen(WithoutTrailingBackslashes(FolderOfPath(path), RootBackslash::Keep));
  return RegisterTypeLib(library.get(), &widePath[0], &helpDir[0]);
}

HRESULT UnregisterOwnTypeLib() {
  ComPtr<ITypeLib> library;
  std::string path;
  HRESULT hr = LoadOwnTypeLib(library, path);
  if (FAILED(hr)) return hr;
  TLIBATTR* attributes = nullptr;
  hr = library->GetLibAttr(&attributes);
  if (FAILED(hr)) return hr;
  const auto unregister = Optional().unRegisterTypeLib;
  hr = unregister ? unregister(attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum,
                               attributes->lcid, attributes->syskind)
                  : UnregisterTypeLibKeys(*attributes);
  library->ReleaseTLibAttr(attributes);
  return hr;
}

template <typename Visit>
HRESULT ForEachClass(Visit visit) {
  ClassEntry* table = Server().classTable;
  for (ClassEntry* entry = table; entry && entry->clsid; ++entry) {
    const HRESULT hr = visit(*entry);
    if (FAILED(hr)) return hr;
  }
  return S_OK;
}

// Waits until the server has stayed unlocked for idleShutdownMs, then ends the main
// thread's message loop.
DWORD WINAPI IdleMonitor(void* parameter) {
  ServerState& server = *static_cast<ServerState*>(parameter);
  for (;;) {
    if (WaitForSingleObject(server.shutdownEvent, INFINITE) != WAIT_OBJECT_0) return 1;
    DWORD wait;
    do {
      server.activity = false;
      wait = WaitForSingleObject(server.shutdownEvent, server.idleShutdownMs);
    } while (wait == WAIT_OBJECT_0);
    if (wait != WAIT_TIMEOUT) return 1;
    if (!server.activity && server.lockCount == 0) break;
  }
  // Taken out of the state first, so that a late UnlockModule no longer signals it.
  CloseHandle(InterlockedExchangePointer(reinterpret_cast<PVOID volatile*>(&server.shutdownEvent), nullptr));
  PostThreadMessageA(server.mainThreadId, WM_QUIT, 0, 0);
  return 0;
}

}  // namespace

HRESULT InitModule(ClassEntry* classTable, HINSTANCE instance, const GUID* typeLibId) {
  ServerState& server = Server();
  server.classTable = classTable;
  server.instance = instance;
  server.typeLibId = typeLibId;
  return ForEachClass([](ClassEntry& entry) {
    if (entry.objectMain) entry.objectMain(true);
    return S_OK;
  });
}

void TermModule() {
  ForEachClass([](ClassEntry& entry) {
    if (entry.classObject) {
      entry.classObject->Release();
      entry.classObject = nullptr;
    }
    if (entry.objectMain) entry.objectMain(false);
    return S_OK;
  });
}

HRESULT RegisterClassTable(DWORD classContext, DWORD flags) {
  return ForEachClass([classContext, flags](ClassEntry& entry) {
    if (!entry.classObject) {
      const HRESULT hr = entry.createClassObject(IID_IUnknown, reinterpret_cast<void**>(&entry.classObject));
      if (FAILED(hr)) return hr;
    }
    return CoRegisterClassObject(*entry.clsid, entry.classObject, classContext, flags, &entry.cookie);
  });
}

HRESULT RevokeClassTable() {
  return ForEachClass([](ClassEntry& entry) {
    if (entry.cookie == 0) return S_OK;
    const HRESULT hr = CoRevokeClassObject(entry.cookie);
    entry.cookie = 0;
    return hr;
  });
}

bool StartIdleMonitor() {
  ServerState& server = Server();
  server.shutdownEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  if (!server.shutdownEvent) return false;
  KernelHandle thread(CreateThread(nullptr, 0, IdleMonitor, &server, 0, nullptr));
  return static_cast<bool>(thread);  // the thread runs on; its handle is not needed
}

LONG LockModule() { return InterlockedIncrement(&Server().lockCount); }

LONG UnlockModule() {
  ServerState& server = Server();
  const LONG count = InterlockedDecrement(&server.lockCount);
  if (count == 0) {
    server.activity = true;  // before the signal: the monitor clears it after waking
    if (HANDLE event = server.shutdownEvent) SetEvent(event);
  }
  return count;
}

void RunMessageLoop() {
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
}

// The class table's and the type library's failures come first, as they always have; a
// registration script that could not be applied is reported when they succeed, so that a
// machine left without the AppID keys never hears of success.
HRESULT RegisterSelf() {
  const HRESULT script = RunOwnScript(true);
  HRESULT hr = ForEachClass([](ClassEntry& entry) {
    return entry.updateRegistry ? entry.updateRegistry(true) : S_OK;
  });
  if (SUCCEEDED(hr)) hr = RegisterOwnTypeLib();
  return FAILED(hr) ? hr : (FAILED(script) ? script : hr);
}

HRESULT UnregisterSelf() {
  const HRESULT script = RunOwnScript(false);
  HRESULT hr = ForEachClass([](ClassEntry& entry) {
    return entry.updateRegistry ? entry.updateRegistry(false) : S_OK;
  });
  if (SUCCEEDED(hr)) hr = UnregisterOwnTypeLib();
  return FAILED(hr) ? hr : (FAILED(script) ? script : hr);
}
