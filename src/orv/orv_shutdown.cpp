#include "orv/orv_shutdown.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <algorithm>
#include <vector>

#include "engine/core/handles.h"
#include "engine/registry/registry.h"
#include "engine/system/shell.h"
#include "engine/text/text_utils.h"
#include "orv/orv_ids.h"
#include "engine/text/wide_text.h"
#include "engine/registry/known_keys.h"

namespace {

const DWORD kHostCheckPauseMs = 1000;
const int kMaxHostChecks = 30;  // about 30 seconds per item name
const DWORD kServerPathBufferSize = 1024;
const DWORD kAnyClassContext =
    CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;

// Calls the host's stop method on a fresh instance of "ORV.Host".
void InvokeHostStop() {
  ComPtr<IDispatch> host;
  if (FAILED(CreateDispatchByProgID(kOrvHostProgIdWide, nullptr, kAnyClassContext,
                                    host.Receive())) ||
      !host)
    return;
  VARIANTARG argument;
  VariantInit(&argument);
  argument.vt = VT_I2;
  argument.iVal = kHostStopArgument;
  DISPPARAMS parameters = {&argument, nullptr, 1, 0};
  host->Invoke(kHostStopMethod, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters,
               nullptr, nullptr, nullptr);  // the host may be gone before it answers
}

}  // namespace

std::wstring GetHostServerPath() {
  // The machine's own registration only: HKEY_CLASSES_ROOT also shows the running account's
  // classes, which any program of that account may write, and an elevated run starts this
  // path. On Windows 9x this is HKEY_CLASSES_ROOT itself.
  const std::wstring subKey =
      Widen(std::string(KEY_CLASSES "\\CLSID\\") + OrvIdText(ORV_ID_HOST) + "\\LocalServer32");
  RegKey key;
  if (OpenKey(HKEY_LOCAL_MACHINE, subKey, KEY_READ, key) != ERROR_SUCCESS)
    return std::wstring();
  std::wstring path = ReadRegStringWithin(key.get(), nullptr, kServerPathBufferSize);
  path.erase(std::remove(path.begin(), path.end(), L'"'), path.end());
  return path;
}

bool IsSecureApiRegistered() {
  RegKey key;
  return OpenKey(HKEY_CLASSES_ROOT, Widen(kOrvSecureApiProgId), kKeyReadWrite, key) == ERROR_SUCCESS;
}

void WaitForHostExit(const char* itemName) {
  const std::wstring item = Widen(itemName);
  ComPtr<IMoniker> moniker;
  if (FAILED(CreateItemMoniker(L"!", item.c_str(), moniker.Receive())) || !moniker) return;
  for (int check = 0; check < kMaxHostChecks; ++check) {
    ComPtr<IBindCtx> bindContext;
    HRESULT running = E_FAIL;
    if (SUCCEEDED(CreateBindCtx(0, bindContext.Receive())) && bindContext)
      running = moniker->IsRunning(bindContext.get(), nullptr, nullptr);
    Sleep(kHostCheckPauseMs);
    if (running != S_OK) return;
  }
}

void ShutDownOrvClient() {
  const std::wstring serverPath = GetHostServerPath();
  if (IsSecureApiRegistered()) {
    // The secure host stops its running instances itself when started with "-u".
    ShellOpenHidden(serverPath, L"-u");
  } else if (GetRunningDispatch(kOrvHostItems[0], nullptr) == S_OK) {
    InvokeHostStop();
  }
  for (const char* item : kOrvHostItems) WaitForHostExit(item);
}
