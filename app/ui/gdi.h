// Owners of GDI resources for the drawing code: objects deleted with DeleteObject,
// memory device contexts, window device contexts, selections that put back what they
// replaced, and saved device-context states.
#pragma once

#include <windows.h>

#include <utility>

#include "platform/win32/handle_win32.h"

namespace app::gdi {

template <typename T>
struct ObjectTraits {
  using Handle = T;
  static Handle Invalid() { return nullptr; }
  static bool Close(Handle h) { return ::DeleteObject(h) != 0; }
};

struct MemoryDcTraits {
  using Handle = HDC;
  static Handle Invalid() { return nullptr; }
  static bool Close(Handle h) { return ::DeleteDC(h) != 0; }
};

using Bitmap = platform::win32::UniqueHandle<ObjectTraits<HBITMAP>>;
using Brush = platform::win32::UniqueHandle<ObjectTraits<HBRUSH>>;
using Pen = platform::win32::UniqueHandle<ObjectTraits<HPEN>>;
using Font = platform::win32::UniqueHandle<ObjectTraits<HFONT>>;
using MemoryDc = platform::win32::UniqueHandle<MemoryDcTraits>;

// A window's device context from GetDC, released with ReleaseDC.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(::GetDC(window)) {}
  ~WindowDc() {
    if (dc_) ::ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// Selects an object into a device context and puts the previous one back when it goes,
// so the object can be deleted afterwards. The object must outlive the selection.
class Selection {
 public:
  Selection(HDC dc, HGDIOBJ object)
      : dc_(dc), previous_(object ? ::SelectObject(dc, object) : nullptr) {}
  ~Selection() { Restore(); }
  Selection(Selection&& other) noexcept
      : dc_(other.dc_), previous_(std::exchange(other.previous_, nullptr)) {}
  Selection& operator=(Selection&& other) noexcept {
    if (this != &other) {
      Restore();
      dc_ = other.dc_;
      previous_ = std::exchange(other.previous_, nullptr);
    }
    return *this;
  }
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;

 private:
  void Restore() {
    if (previous_) ::SelectObject(dc_, std::exchange(previous_, nullptr));
  }
  HDC dc_;
  HGDIOBJ previous_;
};

// Saves a device context's state (clipping, origins, selections) and restores it.
class SavedState {
 public:
  explicit SavedState(HDC dc) : dc_(dc), saved_(::SaveDC(dc)) {}
  ~SavedState() {
    if (saved_ != 0) ::RestoreDC(dc_, saved_);
  }
  SavedState(const SavedState&) = delete;
  SavedState& operator=(const SavedState&) = delete;
  bool Valid() const { return saved_ != 0; }

 private:
  HDC dc_;
  int saved_;
};

}  // namespace app::gdi
