// Owners for Win32 handles and COM interfaces: each releases what it holds
// exactly once, on every path.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <utility>

template <typename Traits>
class CUniqueHandle {
 public:
  using Handle = typename Traits::Handle;

  CUniqueHandle() noexcept = default;
  explicit CUniqueHandle(Handle h) noexcept : h_(h) {}
  ~CUniqueHandle() { Reset(); }
  CUniqueHandle(const CUniqueHandle&) = delete;
  CUniqueHandle& operator=(const CUniqueHandle&) = delete;
  CUniqueHandle(CUniqueHandle&& o) noexcept : h_(o.Release()) {}
  CUniqueHandle& operator=(CUniqueHandle&& o) noexcept {
    if (this != &o) Reset(o.Release());
    return *this;
  }

  [[nodiscard]] Handle Get() const noexcept { return h_; }
  [[nodiscard]] bool Valid() const noexcept { return h_ != Traits::Invalid(); }
  explicit operator bool() const noexcept { return Valid(); }
  [[nodiscard]] Handle Release() noexcept { return std::exchange(h_, Traits::Invalid()); }
  void Reset(Handle h = Traits::Invalid()) noexcept {
    if (h_ != Traits::Invalid()) Traits::Close(h_);
    h_ = h;
  }

 private:
  Handle h_ = Traits::Invalid();
};

struct FileHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(Handle h) noexcept { CloseHandle(h); }
};
// Kernel objects that report failure as null (processes, threads, events,
// mappings).
struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() noexcept { return nullptr; }
  static void Close(Handle h) noexcept { CloseHandle(h); }
};
struct HookHandleTraits {
  using Handle = HHOOK;
  static Handle Invalid() noexcept { return nullptr; }
  static void Close(Handle h) noexcept { UnhookWindowsHookEx(h); }
};
struct FindHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(Handle h) noexcept { FindClose(h); }
};
struct IconHandleTraits {
  using Handle = HICON;
  static Handle Invalid() noexcept { return nullptr; }
  static void Close(Handle h) noexcept { DestroyIcon(h); }
};
struct CursorHandleTraits {
  using Handle = HCURSOR;
  static Handle Invalid() noexcept { return nullptr; }
  static void Close(Handle h) noexcept { DestroyCursor(h); }
};
struct WindowHandleTraits {
  using Handle = HWND;
  static Handle Invalid() noexcept { return nullptr; }
  static void Close(Handle h) noexcept { DestroyWindow(h); }
};
struct MenuHandleTraits {
  using Handle = HMENU;
  static Handle Invalid() noexcept { return nullptr; }
  static void Close(Handle h) noexcept { DestroyMenu(h); }
};
template <typename H>
struct GdiTraits {
  using Handle = H;
  static Handle Invalid() noexcept { return nullptr; }
  static void Close(Handle h) noexcept { DeleteObject(h); }
};
using GdiObjectTraits = GdiTraits<HGDIOBJ>;
struct MemoryDcTraits {
  using Handle = HDC;
  static Handle Invalid() noexcept { return nullptr; }
  static void Close(Handle h) noexcept { DeleteDC(h); }
};
struct ModuleHandleTraits {
  using Handle = HMODULE;
  static Handle Invalid() noexcept { return nullptr; }
  static void Close(Handle h) noexcept { FreeLibrary(h); }
};
struct RegistryKeyTraits {
  using Handle = HKEY;
  static Handle Invalid() noexcept { return nullptr; }
  static void Close(Handle h) noexcept { RegCloseKey(h); }
};

using CFileHandle = CUniqueHandle<FileHandleTraits>;
using CKernelHandle = CUniqueHandle<KernelHandleTraits>;
using CHookHandle = CUniqueHandle<HookHandleTraits>;
using CFindHandle = CUniqueHandle<FindHandleTraits>;
using CIconHandle = CUniqueHandle<IconHandleTraits>;
using CCursorHandle = CUniqueHandle<CursorHandleTraits>;
using CWindowHandle = CUniqueHandle<WindowHandleTraits>;
using CMenuHandle = CUniqueHandle<MenuHandleTraits>;
using CGdiObject = CUniqueHandle<GdiObjectTraits>;
using CFontHandle = CUniqueHandle<GdiTraits<HFONT>>;
using CBitmapHandle = CUniqueHandle<GdiTraits<HBITMAP>>;
using CBrushHandle = CUniqueHandle<GdiTraits<HBRUSH>>;
using CPenHandle = CUniqueHandle<GdiTraits<HPEN>>;
using CRegionHandle = CUniqueHandle<GdiTraits<HRGN>>;
using CMemoryDcHandle = CUniqueHandle<MemoryDcTraits>;
using CModuleHandle = CUniqueHandle<ModuleHandleTraits>;
using CRegistryKey = CUniqueHandle<RegistryKeyTraits>;

// Waits for the thread (or other waitable object) held by owner until the
// tick count untilTick at the latest, and lets it go once it has ended. True
// when nothing is held any more.
[[nodiscard]] inline bool WaitAndReleaseUntil(CKernelHandle& owner, DWORD untilTick) noexcept {
  if (!owner) return true;
  const DWORD now = GetTickCount();
  const DWORD left = static_cast<LONG>(untilTick - now) > 0 ? untilTick - now : 0;
  if (WaitForSingleObject(owner.Get(), left) != WAIT_OBJECT_0) return false;
  owner.Reset();
  return true;
}

// A window's DC (or with no window, the screen's) for the length of a scope.
class CDcHandle {
 public:
  explicit CDcHandle(HWND window = nullptr) noexcept : window_(window), dc_(GetDC(window)) {}
  ~CDcHandle() {
    if (dc_ != nullptr) ReleaseDC(window_, dc_);
  }
  CDcHandle(const CDcHandle&) = delete;
  CDcHandle& operator=(const CDcHandle&) = delete;
  [[nodiscard]] HDC Get() const noexcept { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// Selects an object into a DC and puts the previous one back at scope end,
// so that the object can be deleted afterwards.
class CSelectObject {
 public:
  CSelectObject(HDC dc, HGDIOBJ object) noexcept
      : dc_(dc), previous_(dc != nullptr && object != nullptr ? SelectObject(dc, object) : nullptr) {}
  ~CSelectObject() {
    if (previous_ != nullptr && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
  }
  CSelectObject(const CSelectObject&) = delete;
  CSelectObject& operator=(const CSelectObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// One reference to a COM interface.
template <typename I>
class CComRef {
 public:
  CComRef() noexcept = default;
  ~CComRef() { Reset(); }
  CComRef(const CComRef&) = delete;
  CComRef& operator=(const CComRef&) = delete;
  CComRef(CComRef&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  CComRef& operator=(CComRef&& o) noexcept {
    if (this != &o) {
      Reset();
      p_ = std::exchange(o.p_, nullptr);
    }
    return *this;
  }

  I* operator->() const noexcept { return p_; }
  [[nodiscard]] I* Get() const noexcept { return p_; }
  explicit operator bool() const noexcept { return p_ != nullptr; }
  // The slot for an out-parameter; releases what was held.
  I** Put() noexcept {
    Reset();
    return &p_;
  }
  void** PutVoid() noexcept { return reinterpret_cast<void**>(Put()); }
  void Reset() noexcept {
    if (p_ != nullptr) std::exchange(p_, nullptr)->Release();
  }

 private:
  I* p_ = nullptr;
};

// CoInitialize for the lifetime of the object; uninitialises only when the
// call succeeded.
class CComScope {
 public:
  CComScope() noexcept : hr_(CoInitialize(nullptr)) {}
  ~CComScope() {
    if (SUCCEEDED(hr_)) CoUninitialize();
  }
  CComScope(const CComScope&) = delete;
  CComScope& operator=(const CComScope&) = delete;
  [[nodiscard]] HRESULT Result() const noexcept { return hr_; }

 private:
  HRESULT hr_;
};
