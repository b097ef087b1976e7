// One move-only owner for every kind of Win32 handle the window code makes, and a
// scoped SelectObject that puts the displaced object back.
//
// Copies are deleted: two owners of one handle would close it twice.
#pragma once

#include <windows.h>

#include <utility>

namespace moxun {

template <typename Traits>
class UniqueHandle {
 public:
  using Handle = typename Traits::Handle;

  UniqueHandle() = default;
  explicit UniqueHandle(Handle handle) : handle_(handle) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  Handle get() const { return handle_; }
  explicit operator bool() const { return !Traits::is_empty(handle_); }

  // Gives the handle up without closing it.
  Handle release() { return std::exchange(handle_, Traits::empty()); }

  void reset(Handle handle = Traits::empty()) {
    Handle old = std::exchange(handle_, handle);
    if (!Traits::is_empty(old)) Traits::close(old);
  }

 private:
  Handle handle_ = Traits::empty();
};

// GDI objects (bitmaps, brushes, fonts, regions) go with DeleteObject.
template <typename H>
struct GdiObjectTraits {
  using Handle = H;
  static Handle empty() { return nullptr; }
  static bool is_empty(Handle h) { return h == nullptr; }
  static void close(Handle h) { DeleteObject(h); }
};

// Memory drawing surfaces from CreateCompatibleDC.
struct MemoryDcTraits {
  using Handle = HDC;
  static Handle empty() { return nullptr; }
  static bool is_empty(Handle h) { return h == nullptr; }
  static void close(Handle h) { DeleteDC(h); }
};

// The screen's drawing context from GetDC(nullptr).
struct ScreenDcTraits {
  using Handle = HDC;
  static Handle empty() { return nullptr; }
  static bool is_empty(Handle h) { return h == nullptr; }
  static void close(Handle h) { ReleaseDC(nullptr, h); }
};

// Kernel objects: threads, processes, events.
struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle empty() { return nullptr; }
  static bool is_empty(Handle h) { return h == nullptr || h == INVALID_HANDLE_VALUE; }
  static void close(Handle h) { CloseHandle(h); }
};

struct MenuTraits {
  using Handle = HMENU;
  static Handle empty() { return nullptr; }
  static bool is_empty(Handle h) { return h == nullptr; }
  static void close(Handle h) { DestroyMenu(h); }
};

struct IconTraits {
  using Handle = HICON;
  static Handle empty() { return nullptr; }
  static bool is_empty(Handle h) { return h == nullptr; }
  static void close(Handle h) { DestroyIcon(h); }
};

using BitmapHandle = UniqueHandle<GdiObjectTraits<HBITMAP>>;
using BrushHandle = UniqueHandle<GdiObjectTraits<HBRUSH>>;
using FontHandle = UniqueHandle<GdiObjectTraits<HFONT>>;
using RegionHandle = UniqueHandle<GdiObjectTraits<HRGN>>;
using MemoryDc = UniqueHandle<MemoryDcTraits>;
using ScreenDc = UniqueHandle<ScreenDcTraits>;
using KernelHandle = UniqueHandle<KernelHandleTraits>;
using MenuHandle = UniqueHandle<MenuTraits>;
using IconHandle = UniqueHandle<IconTraits>;

// Selects an object into a drawing context for the life of the scope and then puts
// back the object it displaced.
class ScopedSelect {
 public:
  ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), previous_(dc && object ? SelectObject(dc, object) : nullptr) {}
  ~ScopedSelect() { restore(); }
  ScopedSelect(const ScopedSelect&) = delete;
  ScopedSelect& operator=(const ScopedSelect&) = delete;

  // Puts the displaced object back now (deselecting the scope's object).
  void restore() {
    if (previous_ != nullptr) SelectObject(dc_, previous_);
    previous_ = nullptr;
  }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

}  // namespace moxun
