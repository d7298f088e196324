// Stands in for the PEL client's control object. Its function table is built by hand, not
// from the program's interface declaration, so that a test proves where the program's call
// lands: entry 23 appends the skin name it receives to the file named by the environment
// variable PEL_FAKE_RECORD, one line per call; every other entry records "wrong slot N".
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <array>
#include <cstdio>
#include <string>
#include <utility>

#include "pel/pel_ids.h"

namespace {

const int kShutdownSkinEntry = 23;
const int kTableSize = 32;

void Record(const std::string& line) {
  char path[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableA("PEL_FAKE_RECORD", path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  if (FILE* file = std::fopen(path, "ab")) {
    std::fprintf(file, "%s\n", line.c_str());
    std::fclose(file);
  }
}

std::string Narrow(BSTR text) {
  if (!text) return "(null)";
  char buffer[1024] = {};
  WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(SysStringLen(text)), buffer,
                      sizeof(buffer) - 1, nullptr, nullptr);
  return buffer;
}

bool SameGuid(REFGUID a, const char* text) {
  wchar_t wide[64] = {};
  GUID b = {};
  MultiByteToWideChar(CP_ACP, 0, text, -1, wide, 64);
  return SUCCEEDED(CLSIDFromString(wide, &b)) && IsEqualGUID(a, b);
}

struct FakeControl {
  const void* const* table;
  LONG references;
};

LONG g_objects = 0;

HRESULT STDMETHODCALLTYPE ControlQueryInterface(FakeControl* self, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!IsEqualIID(iid, IID_IUnknown) && !SameGuid(iid, PelId(PEL_CONTROL_IID)))
    return E_NOINTERFACE;
  InterlockedIncrement(&self->references);
  *out = self;
  return S_OK;
}

ULONG STDMETHODCALLTYPE ControlAddRef(FakeControl* self) {
  return InterlockedIncrement(&self->references);
}

ULONG STDMETHODCALLTYPE ControlRelease(FakeControl* self) {
  const LONG left = InterlockedDecrement(&self->references);
  if (left == 0) {
    delete self;
    InterlockedDecrement(&g_objects);
  }
  return left;
}

// Every entry takes one argument, so that a call to the wrong entry with a BSTR is recorded
// instead of unbalancing the stack.
template <int N>
HRESULT STDMETHODCALLTYPE WrongEntry(FakeControl*, BSTR argument) {
  Record("wrong slot " + std::to_string(N) + ": " + Narrow(argument));
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE ShutdownSkin(FakeControl*, BSTR skinName) {
  Record(Narrow(skinName));
  return S_OK;
}

template <int... N>
std::array<const void*, sizeof...(N)> WrongEntries(std::integer_sequence<int, N...>) {
  return {{reinterpret_cast<const void*>(&WrongEntry<N>)...}};
}

const void* const* TheTable() {
  static const std::array<const void*, kTableSize> table = [] {
    auto entries = WrongEntries(std::make_integer_sequence<int, kTableSize>());
    entries[0] = reinterpret_cast<const void*>(&ControlQueryInterface);
    entries[1] = reinterpret_cast<const void*>(&ControlAddRef);
    entries[2] = reinterpret_cast<const void*>(&ControlRelease);
    entries[kShutdownSkinEntry] = reinterpret_cast<const void*>(&ShutdownSkin);
    return entries;
  }();
  return table.data();
}

class Factory : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IClassFactory))
      return E_NOINTERFACE;
    *out = static_cast<IClassFactory*>(this);
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    FakeControl* control = new FakeControl{TheTable(), 1};
    InterlockedIncrement(&g_objects);
    const HRESULT result = ControlQueryInterface(control, iid, out);
    ControlRelease(control);
    return result;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

Factory g_factory;

}  // namespace

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!SameGuid(clsid, PelId(PEL_CONTROL_CLASS))) return CLASS_E_CLASSNOTAVAILABLE;
  return g_factory.QueryInterface(iid, out);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() { return g_objects == 0 ? S_OK : S_FALSE; }
