// Bitmaps, brushes and device contexts.

#include <algorithm>

#include "canvas.h"
#include "codec/bmp.h"
#include "path.h"
#include "state.h"
#include "win32_subset.h"

namespace w32::core {
namespace {

// The platform's documented alternative to a brush handle: a system colour
// index plus one, e.g. (HBRUSH)(COLOR_BTNFACE + 1).
constexpr std::uintptr_t kLargestColorIndex = 30;

std::optional<std::uint32_t> BrushColor(HBRUSH brush) {
  const auto value = reinterpret_cast<std::uintptr_t>(brush);
  if (value >= 1 && value <= kLargestColorIndex + 1)
    return SysColor(static_cast<int>(value - 1));
  auto it = Core().objects.find(value);
  if (it == Core().objects.end() || it->second.kind != GdiObject::Kind::kBrush)
    return std::nullopt;
  return it->second.color;
}

GdiObject* FindBitmap(std::uintptr_t handle) {
  auto it = Core().objects.find(handle);
  if (it == Core().objects.end() || it->second.kind != GdiObject::Kind::kBitmap)
    return nullptr;
  return &it->second;
}

DeviceContext* FindDc(HDC hdc) {
  auto it = Core().dcs.find(reinterpret_cast<std::uintptr_t>(hdc));
  return it == Core().dcs.end() ? nullptr : &it->second;
}

}  // namespace
}  // namespace w32::core

using namespace w32;
using namespace w32::core;

HBRUSH WINAPI GetSysColorBrush(int nIndex) {
  if (nIndex < 0 || nIndex > static_cast<int>(kLargestColorIndex))
    return nullptr;
  State& state = Core();
  auto it = state.sysBrushes.find(nIndex);
  if (it == state.sysBrushes.end()) {
    const std::uintptr_t handle = state.nextGdi++;
    GdiObject brush;
    brush.kind = GdiObject::Kind::kBrush;
    brush.color = SysColor(nIndex);
    brush.stock = true;
    state.objects[handle] = brush;
    it = state.sysBrushes.emplace(nIndex, handle).first;
  }
  return reinterpret_cast<HBRUSH>(it->second);
}

DWORD WINAPI GetSysColor(int nIndex) {
  const std::uint32_t rgb = SysColor(nIndex);
  return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

HANDLE WINAPI LoadImageA(HINSTANCE hInst, LPCSTR name, UINT type, int cx, int cy, UINT fuLoad) {
  // Resources, icons, cursors and scaling are not part of this layer.
  if (hInst || !name || type != IMAGE_BITMAP || cx != 0 || cy != 0 || !(fuLoad & LR_LOADFROMFILE))
    return nullptr;
  const std::optional<std::string> path = ResolveWindowsPath(name);
  if (!path)
    return nullptr;
  std::optional<codec::Bitmap> bitmap = codec::LoadBmpFile(*path);
  if (!bitmap)
    return nullptr;
  State& state = Core();
  const std::uintptr_t handle = state.nextGdi++;
  GdiObject& object = state.objects[handle];
  object.kind = GdiObject::Kind::kBitmap;
  object.bitmap = std::move(*bitmap);
  return reinterpret_cast<HANDLE>(handle);
}

HDC WINAPI CreateCompatibleDC(HDC hdc) {
  State& state = Core();
  if (hdc && !FindDc(hdc))
    return nullptr;
  const std::uintptr_t handle = state.nextGdi++;
  DeviceContext& dc = state.dcs[handle];
  dc.memory = true;
  dc.bitmap = state.stockBitmap;
  return reinterpret_cast<HDC>(handle);
}

HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ h) {
  State& state = Core();
  DeviceContext* dc = FindDc(hdc);
  const auto handle = reinterpret_cast<std::uintptr_t>(h);
  auto object = state.objects.find(handle);
  if (!dc || object == state.objects.end())
    return nullptr;
  const auto hdcValue = reinterpret_cast<std::uintptr_t>(hdc);
  if (object->second.kind == GdiObject::Kind::kBrush) {
    // A new DC starts with a white brush.
    const std::uintptr_t previous =
        dc->brush ? dc->brush : reinterpret_cast<std::uintptr_t>(GetSysColorBrush(COLOR_WINDOW));
    dc->brush = handle;
    return reinterpret_cast<HGDIOBJ>(previous);
  }
  // Bitmaps go into memory DCs only, and into one DC at a time.
  GdiObject& bitmap = object->second;
  if (!dc->memory)
    return nullptr;
  if (!bitmap.stock && bitmap.selectedInto && bitmap.selectedInto != hdcValue)
    return nullptr;
  const std::uintptr_t previous = dc->bitmap;
  if (GdiObject* old = FindBitmap(previous))
    old->selectedInto = 0;
  if (!bitmap.stock)
    bitmap.selectedInto = hdcValue;
  dc->bitmap = handle;
  return reinterpret_cast<HGDIOBJ>(previous);
}

BOOL WINAPI BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop) {
  if (rop != SRCCOPY)
    return FALSE;
  std::optional<Canvas> destination = Canvas::OfDc(hdc);
  std::optional<Canvas> source = Canvas::OfDc(hdcSrc);
  if (!destination || !source)
    return FALSE;
  destination->CopyFrom(*source, x, y, std::max(0, cx), std::max(0, cy), x1, y1);
  return TRUE;
}

int WINAPI FillRect(HDC hDC, const RECT* lprc, HBRUSH hbr) {
  std::optional<Canvas> canvas = Canvas::OfDc(hDC);
  const std::optional<std::uint32_t> color = BrushColor(hbr);
  if (!canvas || !lprc || !color)
    return 0;
  canvas->Fill(RectOf(*lprc), *color);
  return 1;
}

int WINAPI ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom) {
  constexpr int kNullRegion = 1, kComplexRegion = 3;
  DeviceContext* dc = FindDc(hdc);
  if (!dc)
    return 0;
  if (!Canvas::OfDc(hdc))
    return 0;
  const PixelRect area{left, top, right, bottom};
  if (dc->memory)
    dc->excluded.push_back(area);
  else
    dc->paintArea.Remove(area);
  // The area left is reported as empty or as "more complex"; the layer does
  // not tell a single remaining rectangle apart.
  if (!Canvas::OfDc(hdc)->AnyAllowed())
    return kNullRegion;
  return kComplexRegion;
}

BOOL WINAPI DeleteDC(HDC hdc) {
  State& state = Core();
  DeviceContext* dc = FindDc(hdc);
  if (!dc || !dc->memory)
    return FALSE;
  if (GdiObject* bitmap = FindBitmap(dc->bitmap))
    bitmap->selectedInto = 0;
  state.dcs.erase(reinterpret_cast<std::uintptr_t>(hdc));
  return TRUE;
}

BOOL WINAPI DeleteObject(HGDIOBJ ho) {
  State& state = Core();
  auto it = state.objects.find(reinterpret_cast<std::uintptr_t>(ho));
  if (it == state.objects.end())
    return FALSE;
  if (it->second.stock)
    return TRUE;
  if (it->second.selectedInto)
    return FALSE;
  state.objects.erase(it);
  return TRUE;
}

int WINAPI GetObjectA(HANDLE h, int c, LPVOID pv) {
  GdiObject* bitmap = FindBitmap(reinterpret_cast<std::uintptr_t>(h));
  if (!bitmap || !pv || c < static_cast<int>(sizeof(BITMAP)))
    return 0;
  BITMAP info{};
  info.bmType = 0;
  info.bmWidth = bitmap->bitmap.width;
  info.bmHeight = bitmap->bitmap.height;
  info.bmWidthBytes = ((bitmap->bitmap.width * 32 + 15) / 16) * 2;
  info.bmPlanes = 1;
  info.bmBitsPixel = bitmap->stock ? 1 : 32;
  std::memcpy(pv, &info, sizeof info);
  return static_cast<int>(sizeof info);
}
