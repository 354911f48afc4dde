#include "choice_layout.h"

#include <cstddef>

namespace {

struct GroupPlace {
  int column;  // 0 to 3, left to right
  int row;     // 0: box on top, preview below it; 1: preview above, box at the bottom
  const char* placeholder;
};

// Indexed by group number - 1. The top row holds groups 1, 2, 3 and 8, the
// bottom row groups 5, 6, 7 and 4.
constexpr GroupPlace kGroupPlaces[kGroupCount] = {
    {0, 0, "ini\\choose.bmp"},  {1, 0, "ini\\choose.bmp"},  {2, 0, "ini\\choose.bmp"},
    {3, 1, "ini\\choose3.bmp"}, {0, 1, "ini\\choose2.bmp"}, {1, 1, "ini\\choose2.bmp"},
    {2, 1, "ini\\choose2.bmp"}, {3, 0, "ini\\choose.bmp"},
};

constexpr int kColumnLeft = 10;
constexpr int kColumnPitch = 170;
constexpr int kBoxTop[2] = {10, 520};
constexpr int kPreviewTop[2] = {160, 360};
constexpr int kBoxWidth = 150;
constexpr int kBoxHeight = 130;
constexpr int kOptionIndent = 10;
constexpr int kFirstOptionOffset = 20;
constexpr int kOptionPitch = 25;  // less than the height: neighbours overlap by 5
constexpr int kOptionWidth = 100;
constexpr int kOptionHeight = 30;

const GroupPlace& PlaceOf(int group) {
  return kGroupPlaces[static_cast<std::size_t>(group - 1)];
}

int ColumnX(int group) {
  return kColumnLeft + kColumnPitch * PlaceOf(group).column;
}

}  // namespace

PixelPoint GroupBoxOrigin(int group) {
  return {ColumnX(group), kBoxTop[PlaceOf(group).row]};
}

PixelPoint PreviewOrigin(int group) {
  return {ColumnX(group), kPreviewTop[PlaceOf(group).row]};
}

const char* PlaceholderPicture(int group) {
  return PlaceOf(group).placeholder;
}

std::vector<ControlSpec> ChoiceControlLayout() {
  std::vector<ControlSpec> controls;
  for (const PartGroup& group : PartGroups()) {
    const PixelPoint box = GroupBoxOrigin(group.number);
    controls.push_back({ControlKind::kGroupBox, std::string(group.label), box.x, box.y, kBoxWidth,
                        kBoxHeight, 0, group.number, false});
    int y = box.y + kFirstOptionOffset;
    for (const PartOption& option : group) {
      controls.push_back({ControlKind::kOptionButton, std::string(option.label),
                          box.x + kOptionIndent, y, kOptionWidth, kOptionHeight, option.controlId,
                          group.number, option.choiceValue == 1});
      y += kOptionPitch;
    }
  }
  // Centred under the span of the boxes, on the line where the middle pictures end.
  controls.push_back({ControlKind::kInstallButton, "Install Parts and Exit", 250, 320, 180, 30,
                      kInstallButtonId, 0, false});
  return controls;
}
