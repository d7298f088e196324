#pragma once
// Move-only owners for the Windows handles the program opens. Each closes its handle when it
// goes out of scope, keeping the caller's last error.
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>
#include <shlobj.h>

#include <utility>

template <typename T, typename Traits>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(T value) : value_(value) {}
  ~UniqueHandle() { Reset(); }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : value_(other.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }

  T get() const { return value_; }
  explicit operator bool() const { return Traits::IsValid(value_); }
  // For functions that return a handle through a pointer; closes the current one first.
  T* Receive() {
    Reset();
    return &value_;
  }
  T Release() { return std::exchange(value_, Traits::Invalid()); }
  void Reset(T value = Traits::Invalid()) {
    if (Traits::IsValid(value_)) {
      DWORD error = GetLastError();
      Traits::Close(value_);
      SetLastError(error);
    }
    value_ = value;
  }

 private:
  T value_ = Traits::Invalid();
};

struct RegKeyTraits {
  static HKEY Invalid() { return nullptr; }
  static bool IsValid(HKEY h) { return h != nullptr; }
  static void Close(HKEY h) { RegCloseKey(h); }
};
struct FindTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(HANDLE h) { return h != INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { FindClose(h); }
};
struct KernelTraits {
  static HANDLE Invalid() { return nullptr; }
  static bool IsValid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { CloseHandle(h); }
};
struct ModuleTraits {
  static HMODULE Invalid() { return nullptr; }
  static bool IsValid(HMODULE m) { return m != nullptr; }
  static void Close(HMODULE m) { FreeLibrary(m); }
};
struct BstrTraits {
  static BSTR Invalid() { return nullptr; }
  static bool IsValid(BSTR s) { return s != nullptr; }
  static void Close(BSTR s) { SysFreeString(s); }
};

using RegKey = UniqueHandle<HKEY, RegKeyTraits>;           // an opened registry key
using FindHandle = UniqueHandle<HANDLE, FindTraits>;       // a FindFirstFileA search
using KernelHandle = UniqueHandle<HANDLE, KernelTraits>;   // events, threads, processes
using Bstr = UniqueHandle<BSTR, BstrTraits>;               // an OLE automation string
using ModuleHandle = UniqueHandle<HMODULE, ModuleTraits>;  // a DLL loaded when it is needed

// A COM interface pointer that releases its reference when it goes out of scope.
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() { Reset(); }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      Reset();
      p_ = std::exchange(other.p_, nullptr);
    }
    return *this;
  }

  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  T** Receive() {
    Reset();
    return &p_;
  }
  void** ReceiveVoid() { return reinterpret_cast<void**>(Receive()); }
  void Reset() {
    if (p_) std::exchange(p_, nullptr)->Release();
  }

 private:
  T* p_ = nullptr;
};

// An item-id list from the shell, freed with the shell's allocator.
class ItemIdList {
 public:
  ItemIdList() = default;
  ~ItemIdList() { Free(); }
  ItemIdList(const ItemIdList&) = delete;
  ItemIdList& operator=(const ItemIdList&) = delete;

  LPITEMIDLIST* Receive() { return &list_; }
  LPCITEMIDLIST get() const { return list_; }
  // False when the shell's allocator could not be had (the list is then kept).
  bool Free() {
    if (!list_) return true;
    ComPtr<IMalloc> allocator;
    if (FAILED(SHGetMalloc(allocator.Receive())) || !allocator) return false;
    allocator->Free(list_);
    list_ = nullptr;
    return true;
  }

 private:
  LPITEMIDLIST list_ = nullptr;
};
