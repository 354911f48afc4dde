#pragma once
// Scoped GDI resources for painting. Each releases what it holds when it goes
// out of scope, in the reverse order of acquisition when nested.

#include "win_api.h"

// BeginPaint on construction, EndPaint on destruction.
class PaintSession {
 public:
  explicit PaintSession(HWND hwnd) : hwnd_(hwnd), paint_{}, dc_(BeginPaint(hwnd, &paint_)) {}
  ~PaintSession() { EndPaint(hwnd_, &paint_); }
  PaintSession(const PaintSession&) = delete;
  PaintSession& operator=(const PaintSession&) = delete;

  HDC dc() const { return dc_; }

 private:
  HWND hwnd_;
  PAINTSTRUCT paint_;
  HDC dc_;
};

// A memory DC compatible with another DC; null when it could not be created.
class MemoryDc {
 public:
  explicit MemoryDc(HDC compatibleWith) : dc_(CreateCompatibleDC(compatibleWith)) {}
  ~MemoryDc() {
    if (dc_)
      DeleteDC(dc_);
  }
  MemoryDc(const MemoryDc&) = delete;
  MemoryDc& operator=(const MemoryDc&) = delete;

  HDC dc() const { return dc_; }

 private:
  HDC dc_;
};

// An object selected into a DC; the DC's previous object is selected back on
// destruction, so the object can be deleted or selected elsewhere afterwards.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~SelectedObject() {
    if (previous_)
      SelectObject(dc_, previous_);
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

  bool ok() const { return previous_ != nullptr; }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};
