// A test double of a running client object: registers, from its own process, an object in the
// running object table under the item moniker "!" + NAME, and a second object without
// IDispatch under "!" + NAME + "-plain". It serves calls until told to stop.
//   rot_object NAME READY_EVENT RELEASE_EVENT
// The dispatch object answers Invoke(DISPID 1, property get) with the 4-byte integer 4242,
// so that a caller can tell it reached this very object.
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <string>

namespace {

const LONG kAnswer = 4242;

// The IUnknown-only object.
class PlainObject : public IUnknown {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown) {
      *out = static_cast<IUnknown*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
  STDMETHODIMP_(ULONG) Release() override { return InterlockedDecrement(&refs_); }  // static life

 private:
  LONG refs_ = 1;
};

class DispatchObject : public IDispatch {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IDispatch) {
      *out = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
  STDMETHODIMP_(ULONG) Release() override { return InterlockedDecrement(&refs_); }
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    *info = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return DISP_E_UNKNOWNNAME;
  }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                      UINT*) override {
    if (id != 1) return DISP_E_MEMBERNOTFOUND;
    if (result) {
      VariantInit(result);
      result->vt = VT_I4;
      result->lVal = kAnswer;
    }
    return S_OK;
  }

 private:
  LONG refs_ = 1;
};

std::wstring Widen(const char* text) {
  const int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  std::wstring wide(length > 0 ? length : 1, L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], length);
  wide.resize(wide.size() - 1);
  return wide;
}

bool Register(IRunningObjectTable* table, IUnknown* object, const std::wstring& name,
              DWORD& cookie) {
  IMoniker* moniker = nullptr;
  if (FAILED(CreateItemMoniker(L"!", name.c_str(), &moniker))) return false;
  const HRESULT hr = table->Register(ROTFLAGS_REGISTRATIONKEEPSALIVE, object, moniker, &cookie);
  moniker->Release();
  return SUCCEEDED(hr);
}

// Serves COM calls (a single-threaded apartment needs its messages) until `release` is set.
void ServeUntil(HANDLE release) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < 60000) {
    const DWORD woken = MsgWaitForMultipleObjects(1, &release, FALSE, 100, QS_ALLINPUT);
    if (woken == WAIT_OBJECT_0) return;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  if (FAILED(CoInitialize(nullptr))) return 3;
  static DispatchObject dispatchObject;
  static PlainObject plainObject;
  IRunningObjectTable* table = nullptr;
  if (FAILED(GetRunningObjectTable(0, &table))) return 4;
  DWORD dispatchCookie = 0;
  DWORD plainCookie = 0;
  const std::wstring name = Widen(argv[1]);
  if (!Register(table, &dispatchObject, name, dispatchCookie) ||
      !Register(table, &plainObject, name + L"-plain", plainCookie))
    return 5;
  HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[2]);
  HANDLE release = OpenEventA(SYNCHRONIZE, FALSE, argv[3]);
  if (!ready || !release) return 6;
  SetEvent(ready);
  ServeUntil(release);
  table->Revoke(dispatchCookie);
  table->Revoke(plainCookie);
  table->Release();
  CoUninitialize();
  return 0;
}
