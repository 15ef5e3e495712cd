// Tiny scoped owners for Win32 handles. Each owner releases its handle with
// the matching call when it goes out of scope; owners declared later are
// destroyed first, so release order is the reverse of acquisition.
#pragma once

#include <windows.h>

#include <utility>

template <typename Handle, typename Traits>
class Scoped {
 public:
  Scoped() noexcept = default;
  explicit Scoped(Handle handle) noexcept : handle_(handle) {}
  Scoped(const Scoped&) = delete;
  Scoped& operator=(const Scoped&) = delete;
  Scoped(Scoped&& other) noexcept : handle_(other.release()) {}
  Scoped& operator=(Scoped&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  ~Scoped() { reset(); }

  [[nodiscard]] Handle get() const noexcept { return handle_; }
  [[nodiscard]] explicit operator bool() const noexcept { return Traits::IsValid(handle_); }
  [[nodiscard]] Handle release() noexcept { return std::exchange(handle_, Traits::Invalid()); }
  void reset(Handle handle = Traits::Invalid()) noexcept {
    Handle old = std::exchange(handle_, handle);
    if (Traits::IsValid(old)) Traits::Close(old);
  }

 private:
  Handle handle_ = Traits::Invalid();
};

struct KernelHandleTraits {
  static HANDLE Invalid() noexcept { return nullptr; }
  static bool IsValid(HANDLE h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) noexcept { CloseHandle(h); }
};
struct FileHandleTraits : KernelHandleTraits {
  static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
};
struct WindowTraits {
  static HWND Invalid() noexcept { return nullptr; }
  static bool IsValid(HWND h) noexcept { return h != nullptr; }
  static void Close(HWND h) noexcept { DestroyWindow(h); }
};
struct HookTraits {
  static HHOOK Invalid() noexcept { return nullptr; }
  static bool IsValid(HHOOK h) noexcept { return h != nullptr; }
  static void Close(HHOOK h) noexcept { UnhookWindowsHookEx(h); }
};
struct ModuleTraits {
  static HMODULE Invalid() noexcept { return nullptr; }
  static bool IsValid(HMODULE h) noexcept { return h != nullptr; }
  static void Close(HMODULE h) noexcept { FreeLibrary(h); }
};
struct GdiObjectTraits {
  static HGDIOBJ Invalid() noexcept { return nullptr; }
  static bool IsValid(HGDIOBJ h) noexcept { return h != nullptr; }
  static void Close(HGDIOBJ h) noexcept { DeleteObject(h); }
};
struct FindTraits {
  static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static bool IsValid(HANDLE h) noexcept { return h != INVALID_HANDLE_VALUE && h != nullptr; }
  static void Close(HANDLE h) noexcept { FindClose(h); }
};

using ScopedHandle = Scoped<HANDLE, KernelHandleTraits>;
using ScopedFile = Scoped<HANDLE, FileHandleTraits>;
using ScopedWindow = Scoped<HWND, WindowTraits>;
using ScopedHook = Scoped<HHOOK, HookTraits>;
using ScopedModule = Scoped<HMODULE, ModuleTraits>;
using ScopedGdiObject = Scoped<HGDIOBJ, GdiObjectTraits>;
using ScopedFind = Scoped<HANDLE, FindTraits>;
