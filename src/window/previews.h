#pragma once
// The preview pictures: one slot per part group, drawn straight onto the main
// window's client area.

#include "win_api.h"

// Slot n shows group n: its chosen option's picture, its placeholder until the
// group has a choice, or nothing (null) when the picture could not be loaded.
// Each slot owns its picture; no two slots share one, because a bitmap can be
// selected into only one DC at a time while all eight are drawn.
extern HBITMAP bmp1, bmp2, bmp3, bmp4, bmp5, bmp6, bmp7, bmp8;

// The slot of group 1 to 8.
HBITMAP& PreviewSlot(int group);

// Fills every slot from its placeholder picture, slots 1 to 8. Runs during
// static initialisation, before any window exists; paths are relative to the
// working directory the process starts in.
void LoadPlaceholders();

// Replaces the slot's picture with the one loaded from path (catalogue
// spelling). The old picture is released even when the load fails, which
// leaves the slot empty. Draws nothing.
void LoadPreview(HBITMAP& slot, const char* path);

// The WM_PAINT handling: draws the eight slots into their rectangles. Parts of
// a rectangle that no picture covers show the button face, and nothing is
// drawn over the controls.
void PaintPreviews(HWND hwnd);
