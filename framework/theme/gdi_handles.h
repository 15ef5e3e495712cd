// Owners for the GDI and USER handles the theme and its primitives hold, so
// that every early return gives back what it took.
#pragma once

#include <windows.h>

#include <utility>

template <class H, class Deleter>
class UniqueHandle {
 public:
  UniqueHandle() noexcept = default;
  explicit UniqueHandle(H h) noexcept : h_(h) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(std::exchange(other.h_, nullptr));
    return *this;
  }
  ~UniqueHandle() { reset(); }

  [[nodiscard]] H get() const noexcept { return h_; }
  explicit operator bool() const noexcept { return h_ != nullptr; }
  [[nodiscard]] H release() noexcept { return std::exchange(h_, nullptr); }
  void reset(H h = nullptr) noexcept {
    if (h_ && h_ != h) Deleter{}(h_);
    h_ = h;
  }

 private:
  H h_ = nullptr;
};

struct GdiObjectDeleter {
  void operator()(HGDIOBJ h) const noexcept { DeleteObject(h); }
};
struct DcDeleter {
  void operator()(HDC h) const noexcept { DeleteDC(h); }
};
struct IconDeleter {
  void operator()(HICON h) const noexcept { DestroyIcon(h); }
};
struct LibraryDeleter {
  void operator()(HMODULE h) const noexcept { FreeLibrary(h); }
};

using FontOwner = UniqueHandle<HFONT, GdiObjectDeleter>;
using BitmapOwner = UniqueHandle<HBITMAP, GdiObjectDeleter>;
using BrushOwner = UniqueHandle<HBRUSH, GdiObjectDeleter>;
using PenOwner = UniqueHandle<HPEN, GdiObjectDeleter>;
using RegionOwner = UniqueHandle<HRGN, GdiObjectDeleter>;
using DcOwner = UniqueHandle<HDC, DcDeleter>;
using IconOwner = UniqueHandle<HICON, IconDeleter>;
using LibraryOwner = UniqueHandle<HMODULE, LibraryDeleter>;

// A window's (or with no window, the screen's) DC for the length of a scope.
class WindowDc {
 public:
  explicit WindowDc(HWND window) noexcept : window_(window), dc_(GetDC(window)) {}
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  ~WindowDc() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  [[nodiscard]] HDC get() const noexcept { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// Selects an object into a DC and puts the previous one back at scope end,
// so the object can be deleted afterwards.
class SelectGuard {
 public:
  SelectGuard(HDC dc, HGDIOBJ object) noexcept : dc_(dc), previous_(dc && object ? SelectObject(dc, object) : nullptr) {}
  SelectGuard(const SelectGuard&) = delete;
  SelectGuard& operator=(const SelectGuard&) = delete;
  ~SelectGuard() {
    if (previous_ && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
  }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};
