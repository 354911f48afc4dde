#include "previews.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <optional>
#include <vector>

#include "catalogue.h"
#include "choice_layout.h"
#include "gdi_objects.h"

HBITMAP bmp1 = nullptr;
HBITMAP bmp2 = nullptr;
HBITMAP bmp3 = nullptr;
HBITMAP bmp4 = nullptr;
HBITMAP bmp5 = nullptr;
HBITMAP bmp6 = nullptr;
HBITMAP bmp7 = nullptr;
HBITMAP bmp8 = nullptr;

namespace {

HBITMAP* const kSlots[kGroupCount] = {&bmp1, &bmp2, &bmp3, &bmp4, &bmp5, &bmp6, &bmp7, &bmp8};

// The slots are filled before WinMain runs; the slots themselves are
// constant-initialised, so they are null before this runs whatever the order.
struct PlaceholderLoader {
  PlaceholderLoader() { LoadPlaceholders(); }
} const placeholdersAtStart;

HBITMAP LoadPicture(const char* path) {
  return static_cast<HBITMAP>(LoadImageA(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
}

struct ShownSize {
  int width;
  int height;
};

// How much of the preview rectangle the picture covers; 0 by 0 when empty.
ShownSize ShownSizeOf(HBITMAP picture) {
  BITMAP info{};
  if (!picture || !GetObjectA(picture, sizeof info, &info))
    return {0, 0};
  return {std::clamp(static_cast<int>(info.bmWidth), 0, kPreviewWidth),
          std::clamp(static_cast<int>(info.bmHeight), 0, kPreviewHeight)};
}

// Fills the part of a preview rectangle that its own picture leaves
// uncovered: the strip right of the picture and the band below it.
void FillUncovered(HDC dc, PixelPoint at, ShownSize shown, HBRUSH face) {
  if (shown.width < kPreviewWidth && shown.height > 0) {
    const RECT right{at.x + shown.width, at.y, at.x + kPreviewWidth, at.y + shown.height};
    FillRect(dc, &right, face);
  }
  if (shown.height < kPreviewHeight) {
    const RECT below{at.x, at.y + shown.height, at.x + kPreviewWidth, at.y + kPreviewHeight};
    FillRect(dc, &below, face);
  }
}

// The main window has no WS_CLIPCHILDREN, so without this a tall picture
// would be painted over the install button and the bottom group boxes.
void ExcludeControls(HDC dc) {
  static const std::vector<ControlSpec> controls = ChoiceControlLayout();
  for (const ControlSpec& control : controls) {
    ExcludeClipRect(dc, control.x, control.y, control.x + control.width,
                    control.y + control.height);
  }
}

// One slot's memory DC with the slot's picture selected, for one paint.
struct SlotDc {
  SlotDc(HDC paintDc, HBITMAP picture) : memory(paintDc) {
    if (memory.dc() && picture)
      selection.emplace(memory.dc(), picture);
  }
  bool HasPicture() const { return selection && selection->ok(); }

  MemoryDc memory;
  std::optional<SelectedObject> selection;
};

}  // namespace

HBITMAP& PreviewSlot(int group) {
  return *kSlots[static_cast<std::size_t>(group - 1)];
}

void LoadPlaceholders() {
  for (int group = 1; group <= kGroupCount; ++group) {
    PreviewSlot(group) = LoadPicture(PlaceholderPicture(group));
  }
}

void LoadPreview(HBITMAP& slot, const char* path) {
  HBITMAP loaded = LoadPicture(path);
  if (slot)
    DeleteObject(slot);
  slot = loaded;
}

void PaintPreviews(HWND hwnd) {
  PaintSession paint(hwnd);
  ExcludeControls(paint.dc());

  // Uncovered parts first for every slot, so that where rectangles overlap a
  // neighbour's picture is never painted over with the button face.
  HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
  for (int group = 1; group <= kGroupCount; ++group) {
    FillUncovered(paint.dc(), PreviewOrigin(group), ShownSizeOf(PreviewSlot(group)), face);
  }

  std::array<std::optional<SlotDc>, kGroupCount> slotDcs;
  for (int group = 1; group <= kGroupCount; ++group) {
    slotDcs[static_cast<std::size_t>(group - 1)].emplace(paint.dc(), PreviewSlot(group));
  }
  // Slot order decides overlaps: the later copy covers the earlier one.
  for (int group = 1; group <= kGroupCount; ++group) {
    const SlotDc& source = *slotDcs[static_cast<std::size_t>(group - 1)];
    if (!source.HasPicture())
      continue;
    const PixelPoint at = PreviewOrigin(group);
    BitBlt(paint.dc(), at.x, at.y, kPreviewWidth, kPreviewHeight, source.memory.dc(), 0, 0,
           SRCCOPY);
  }
}
