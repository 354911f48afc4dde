#pragma once
// Where everything stands on the main window, in client pixels: the 26 choice
// controls in creation order and the eight preview rectangles. Both follow one
// grid of four columns, 170 px apart from x = 10; each part group owns one
// column and one of two rows.

#include <cstdint>
#include <string>
#include <vector>

#include "catalogue.h"

enum class ControlKind { kGroupBox, kOptionButton, kInstallButton };

struct ControlSpec {
  ControlKind kind;
  std::string text;
  int x, y, width, height;
  std::uint16_t id;  // the menu argument: 0 (NULL) for a group box
  int group;         // 1 to 8; 0 for the install button
  bool startsRadioGroup;
};

struct PixelPoint {
  int x, y;
};

constexpr std::uint16_t kInstallButtonId = 1;
constexpr int kPreviewWidth = 160;
constexpr int kPreviewHeight = 300;

// The 26 controls in creation order: each group in catalogue order, its box
// followed by its option buttons, then the install button.
std::vector<ControlSpec> ChoiceControlLayout();

// Top-left corner of a group's box and of its preview rectangle (group 1 to 8).
PixelPoint GroupBoxOrigin(int group);
PixelPoint PreviewOrigin(int group);
// The picture a group's preview slot shows until the group has a choice.
const char* PlaceholderPicture(int group);
