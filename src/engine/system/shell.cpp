#include "engine/system/shell.h"

#include <shellapi.h>
#include <shlobj.h>

#include "engine/core/handles.h"
#include "engine/core/optional_calls.h"
#include "engine/text/wide_text.h"

namespace {

const size_t kFolderPathBuffer = 1024;

// The path of an item-id list; empty when it has none.
std::wstring PathOfList(LPCITEMIDLIST list) {
  if (OnWindows9x()) {
    char buffer[MAX_PATH] = {};
    if (!SHGetPathFromIDListA(list, buffer)) buffer[0] = '\0';
    buffer[MAX_PATH - 1] = '\0';
    return Widen(buffer);
  }
  wchar_t buffer[kFolderPathBuffer] = {};
  if (!SHGetPathFromIDListW(list, buffer)) buffer[0] = L'\0';
  buffer[kFolderPathBuffer - 1] = L'\0';
  return buffer;
}

}  // namespace

bool GetSpecialFolderPath(int folderId, std::wstring& path) {
  ItemIdList list;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, folderId, list.Receive())) || !list.get())
    return false;
  path = PathOfList(list.get());
  if (!path.empty() && path.back() != L'\\') path += L'\\';
  return list.Free();
}

bool ShellOpenHidden(const std::wstring& file, const wchar_t* parameters) {
  INT_PTR started = 0;  // above 32: started
  if (OnWindows9x()) {
    std::string ansiFile, ansiParameters;
    if (!ExactAnsi(file, ansiFile) || !ExactAnsi(parameters ? parameters : L"", ansiParameters)) return false;
    started = reinterpret_cast<INT_PTR>(
        ShellExecuteA(GetDesktopWindow(), "Open", ansiFile.c_str(), ansiParameters.c_str(), nullptr, SW_HIDE));
  } else {
    started = reinterpret_cast<INT_PTR>(
        ShellExecuteW(GetDesktopWindow(), L"Open", file.c_str(), parameters, nullptr, SW_HIDE));
  }
  return started > 32;
}

HRESULT GetRunningDispatch(const char* itemName, IDispatch** dispatch) {
  ComPtr<IMoniker> moniker;
  HRESULT hr = CreateItemMoniker(L"!", Widen(itemName).c_str(), moniker.Receive());
  if (FAILED(hr)) return hr;
  if (!moniker) return E_FAIL;
  ComPtr<IBindCtx> context;
  hr = CreateBindCtx(0, context.Receive());
  if (FAILED(hr)) return hr;
  hr = moniker->IsRunning(context.get(), nullptr, nullptr);
  if (hr != S_OK) return hr;  // S_FALSE: nothing runs under the name
  ComPtr<IRunningObjectTable> table;
  if (FAILED(context->GetRunningObjectTable(table.Receive())) || !table) return S_OK;
  ComPtr<IUnknown> object;
  hr = table->GetObject(moniker.get(), object.Receive());
  if (SUCCEEDED(hr) && object && dispatch)
    object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(dispatch));
  return hr;
}

HRESULT CreateDispatchByProgID(const wchar_t* progId, IUnknown* outer, DWORD classContext,
                               IDispatch** dispatch) {
  CLSID classId;
  const HRESULT hr = CLSIDFromProgID(progId, &classId);
  if (FAILED(hr)) return hr;
  return CoCreateInstance(classId, outer, classContext, IID_IDispatch,
                          reinterpret_cast<void**>(dispatch));
}
