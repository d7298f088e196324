// A stand-in for the ORV client's host: a local server of the class "ORV.Host" that runs in
// the running object table under the item "QHost" (or the one given by "-item NAME") until it
// is asked to stop: by its method 10012 with one VT_I2 argument, or by another instance
// started with "-u". "-life MS" limits its life (90 s by default), so that it never outlives
// a test. Every start, call and stop is appended to %TEMP%\orv_host_record.txt, so that tests
// can check exactly what the host received.
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "orv/orv_ids.h"

namespace {

const char kStopEventName[] = "PurgonTestOrvHostStop";
DWORD lifeMs = 90000;
bool stopRequested = false;

std::string RecordPath() {
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  return std::string(temp) + "orv_host_record.txt";
}

void Record(const std::string& line) {
  if (FILE* file = std::fopen(RecordPath().c_str(), "ab")) {
    std::fprintf(file, "%s\n", line.c_str());
    std::fclose(file);
  }
}

// The command line after the program's own name.
std::string Arguments() {
  const char* p = GetCommandLineA();
  if (*p == '"') {
    ++p;
    while (*p && *p != '"') ++p;
    if (*p) ++p;
  } else {
    while (*p && *p != ' ' && *p != '\t') ++p;
  }
  while (*p == ' ' || *p == '\t') ++p;
  return p;
}

std::string ArgumentAfter(const std::string& arguments, const std::string& flag) {
  size_t at = arguments.find(flag + " ");
  if (at == std::string::npos) return std::string();
  at += flag.size() + 1;
  return arguments.substr(at, arguments.find(' ', at) - at);
}

std::string Describe(const VARIANTARG& argument) {
  char text[64];
  if (argument.vt == VT_I2)
    std::snprintf(text, sizeof(text), "VT_I2 %d", argument.iVal);
  else
    std::snprintf(text, sizeof(text), "vt %u", static_cast<unsigned>(argument.vt));
  return text;
}

class Host : public IDispatch {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
      *object = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // lives as long as the process
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return DISP_E_UNKNOWNNAME;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID iid, LCID locale, WORD flags,
                                   DISPPARAMS* parameters, VARIANT* result, EXCEPINFO* exception,
                                   UINT* argumentError) override {
    const UINT count = parameters ? parameters->cArgs : 0;
    const UINT named = parameters ? parameters->cNamedArgs : 0;
    char line[256];
    std::snprintf(line, sizeof(line),
                  "invoke member=%ld iid=%s locale=0x%04lx flags=%u args=%u named=%u", member,
                  IsEqualIID(iid, IID_NULL) ? "IID_NULL" : "other",
                  static_cast<unsigned long>(locale), static_cast<unsigned>(flags), count, named);
    std::string text = line;
    for (UINT i = 0; i < count; ++i) text += " [" + Describe(parameters->rgvarg[i]) + "]";
    // (Whether the caller passed result, exception and argument-error pointers does not
    // survive the standard marshalling of IDispatch, which always passes them.)
    Record(text);
    if (member == kHostStopMethod && count == 1 && named == 0 &&
        parameters->rgvarg[0].vt == VT_I2) {
      stopRequested = true;
      PostQuitMessage(0);  // after this call has been answered
    }
    return S_OK;
  }
};

class HostFactory : public IClassFactory {
 public:
  explicit HostFactory(Host* host) : host_(host) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
      *object = static_cast<IClassFactory*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    if (outer) return CLASS_E_NOAGGREGATION;
    return host_->QueryInterface(iid, object);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

 private:
  Host* host_;
};

// Tells every running host to stop.
void SignalStop() {
  HANDLE stop = OpenEventA(EVENT_MODIFY_STATE, FALSE, kStopEventName);
  if (stop) {
    SetEvent(stop);
    CloseHandle(stop);
  }
}

// Serves calls until a stop is asked for or the life time is over.
void Serve(HANDLE stop) {
  const DWORD start = GetTickCount();
  for (;;) {
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= lifeMs) return;
    const DWORD wait = MsgWaitForMultipleObjects(1, &stop, FALSE, lifeMs - elapsed, QS_ALLINPUT);
    if (wait == WAIT_OBJECT_0) return;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) return;
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
}

int RunHost(const std::string& item) {
  HANDLE stop = CreateEventA(nullptr, TRUE, FALSE, kStopEventName);
  CoInitialize(nullptr);
  static Host host;
  static HostFactory factory(&host);
  CLSID classId;
  wchar_t classText[64];
  MultiByteToWideChar(CP_ACP, 0, OrvIdText(ORV_ID_HOST), -1, classText, 64);
  CLSIDFromString(classText, &classId);
  DWORD classCookie = 0;
  CoRegisterClassObject(classId, &factory, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE, &classCookie);

  wchar_t itemText[64];
  MultiByteToWideChar(CP_ACP, 0, item.c_str(), -1, itemText, 64);
  IMoniker* moniker = nullptr;
  IRunningObjectTable* table = nullptr;
  DWORD rotCookie = 0;
  CreateItemMoniker(L"!", itemText, &moniker);
  GetRunningObjectTable(0, &table);
  if (moniker && table) table->Register(ROTFLAGS_REGISTRATIONKEEPSALIVE, &host, moniker, &rotCookie);

  Serve(stop);

  if (table && rotCookie) table->Revoke(rotCookie);
  if (table) table->Release();
  if (moniker) moniker->Release();
  if (classCookie) CoRevokeClassObject(classCookie);
  Record(std::string(stopRequested || WaitForSingleObject(stop, 0) == WAIT_OBJECT_0
                         ? "stopped "
                         : "timed out ") +
         item);
  CoUninitialize();
  CloseHandle(stop);
  return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const std::string arguments = Arguments();
  Record("started " + arguments);
  const std::string life = ArgumentAfter(arguments + " ", "-life");
  if (!life.empty()) lifeMs = static_cast<DWORD>(std::atol(life.c_str()));
  if (arguments == "-u" || arguments.find("-u ") == 0) {
    SignalStop();
    return 0;
  }
  const std::string item = ArgumentAfter(arguments + " ", "-item");
  return RunHost(item.empty() ? kOrvHostItems[0] : item);
}
