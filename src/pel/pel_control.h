#pragma once
// The control object of an installed PEL client (class C4), through which a running client is
// asked to shut each of its skins down.
#include <windows.h>
#include <oaidl.h>

// Only ShutdownSkin is ever called. The entries before it stand for the object's other methods,
// which the program never calls; they exist so that ShutdownSkin is entry 23 of the function
// table, counting IUnknown's three entries (0 to 2).
struct IPelControl : public IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Unused03() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused04() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused05() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused06() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused07() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused08() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused09() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused10() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused11() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused12() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused13() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused14() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused15() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused16() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused17() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused18() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused19() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused20() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused21() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unused22() = 0;
  // Entry 23: asks the running client to close the named skin. Returns at once.
  virtual HRESULT STDMETHODCALLTYPE ShutdownSkin(BSTR skinName) = 0;
};
