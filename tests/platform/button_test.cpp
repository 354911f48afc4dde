// The "button" class: radio groups, what counts as a click, and the
// notification the parent gets.

#include <string>

#include "core_fixture.h"

namespace coretest {
namespace {

constexpr DWORD kRadio = WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON;
constexpr DWORD kBox = WS_CHILD | WS_VISIBLE | BS_GROUPBOX;

// Five controls in a column, 20 px apart, each 100 by 20 at x = 10; a
// control's letter says what it is: r radio, R radio with WS_GROUP, g group
// box, G group box with WS_GROUP.
struct RadioCase {
  const char* name;
  const char* controls;
  std::vector<int> clicks;  // control indexes, in order
  const char* checked;      // after the clicks: '1' checked, '0' not, '-' no radio
};

const RadioCase kRadioCases[] = {
    {"NoGroupStyleMakesOneGroup", "rrrrr", {0, 3}, "00010"},
    {"GroupStyleStartsANewGroup", "RrRrr", {0, 3}, "10010"},
    {"LaterClickInTheSameGroupMovesTheMark", "RrRrr", {0, 3, 1, 4}, "01001"},
    {"ControlsBeforeTheFirstGroupStyleFormAGroup", "rrRrr", {1, 4}, "01001"},
    {"GroupBoxesWithoutGroupStyleDoNotSplit", "rgrgr", {0, 4}, "0-0-1"},
    {"GroupBoxWithGroupStyleSplits", "rGrrr", {0, 4}, "1-001"},
    {"SameButtonTwiceStaysChecked", "rrrrr", {2, 2}, "00100"},
};

class RadioGroupTest : public CoreTest, public ::testing::WithParamInterface<RadioCase> {};

TEST_P(RadioGroupTest, ClicksCheckOneButtonPerGroup) {
  const RadioCase& c = GetParam();
  HWND main = MakeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 220, 160);
  std::vector<HWND> controls;
  for (int i = 0; c.controls[i]; ++i) {
    const char kind = c.controls[i];
    DWORD style = (kind == 'r' || kind == 'R') ? kRadio : kBox;
    if (kind == 'R' || kind == 'G')
      style |= WS_GROUP;
    controls.push_back(MakeButton(main, style, "x", 10, 10 + 20 * i, 100, 20, 100 + i));
  }
  for (int index : c.clicks)
    Click(main, 20, 10 + 20 * index + 10);
  Pump();

  std::string checked;
  for (std::size_t i = 0; i < controls.size(); ++i) {
    const char kind = c.controls[i];
    checked += (kind == 'g' || kind == 'G')
                   ? '-'
                   : (SendMessageA(controls[i], BM_GETCHECK, 0, 0) == BST_CHECKED ? '1' : '0');
  }
  EXPECT_EQ(checked, c.checked);
  EXPECT_EQ(Received(WM_COMMAND).size(), c.clicks.size());
}

INSTANTIATE_TEST_SUITE_P(Groups, RadioGroupTest, ::testing::ValuesIn(kRadioCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Two radio buttons, a push button and a group box around the radio buttons
// (created first, so it lies over them), in a window with client 212 by 133.
class ClickTest : public CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    main_ = MakeWindow();
    box_ = MakeButton(main_, kBox, "Group", 5, 5, 130, 80, 0);
    first_ = MakeButton(main_, kRadio, "first", 10, 20, 100, 30, 11);
    second_ = MakeButton(main_, kRadio, "second", 10, 45, 100, 30, 12);
    push_ = MakeButton(main_, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, "push", 10, 90, 80, 25, 1);
    Pump();
  }
  HWND main_ = nullptr, box_ = nullptr, first_ = nullptr, second_ = nullptr, push_ = nullptr;
};

struct ClickCase {
  const char* name;
  int pressX, pressY, releaseX, releaseY;
  int command;  // identifier of the expected WM_COMMAND, or 0 for none
};

class ClickCaseTest : public ClickTest, public ::testing::WithParamInterface<ClickCase> {};

const ClickCase kClickCases[] = {
    {"PressAndReleaseOverOneButton", 20, 30, 60, 40, 11},
    {"ThroughTheGroupBoxToTheButtonUnderIt", 100, 60, 100, 60, 12},
    {"PushButton", 20, 100, 20, 100, 1},
    {"OverlapGoesToTheButtonCreatedFirst", 20, 47, 20, 47, 11},
    {"ReleaseOverAnotherButton", 20, 30, 20, 60, 0},
    {"ReleaseOutsideTheButton", 20, 100, 150, 100, 0},
    {"PressOutsideReleaseOverAButton", 180, 120, 20, 30, 0},
    {"EmptyPartOfTheGroupBox", 120, 30, 120, 30, 0},
};

TEST_P(ClickCaseTest, OnlyAPressAndReleaseOverOneControlClicksIt) {
  const ClickCase& c = GetParam();
  Press(main_, c.pressX, c.pressY);
  Release(main_, c.releaseX, c.releaseY);
  Pump();

  const std::vector<Message> commands = Received(WM_COMMAND);
  if (c.command == 0) {
    EXPECT_TRUE(commands.empty());
    EXPECT_EQ(SendMessageA(first_, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(SendMessageA(second_, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    return;
  }
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(commands[0].hwnd, main_);
  EXPECT_EQ(LOWORD(commands[0].wParam), c.command);
  EXPECT_EQ(HIWORD(commands[0].wParam), BN_CLICKED);
  HWND sender = reinterpret_cast<HWND>(commands[0].lParam);
  EXPECT_EQ(sender, c.command == 11 ? first_ : c.command == 12 ? second_ : push_);
}

INSTANTIATE_TEST_SUITE_P(Clicks, ClickCaseTest, ::testing::ValuesIn(kClickCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ClickTest, TheRadioButtonIsCheckedBeforeTheParentHears) {
  LRESULT checkDuringCommand = -1;
  TestHandler() = [&](HWND, UINT msg, WPARAM, LPARAM lParam) -> std::optional<LRESULT> {
    if (msg == WM_COMMAND)
      checkDuringCommand = SendMessageA(reinterpret_cast<HWND>(lParam), BM_GETCHECK, 0, 0);
    return std::nullopt;
  };
  Click(main_, 20, 60);
  Pump();
  EXPECT_EQ(checkDuringCommand, BST_CHECKED);
}

TEST_F(ClickTest, PushButtonLooksPressedWhileHeld) {
  const std::uint32_t before = Pixel(main_, 11, 91);  // the inner line of the frame
  Press(main_, 20, 100);
  Pump();
  EXPECT_EQ(SendMessageA(push_, BM_GETSTATE, 0, 0) & BST_PUSHED, BST_PUSHED);
  const std::uint32_t held = Pixel(main_, 11, 91);
  Release(main_, 20, 100);
  Pump();
  EXPECT_NE(before, held);
  EXPECT_EQ(Pixel(main_, 11, 91), before);
}

TEST_F(CoreTest, TextShowsGlyphsThatReachBelowTheLine) {
  // '_' lies under the line that the font measures; cut at the line, a
  // file name such as "Karvo_Zelt_Omra.ini" would show spaces.
  HWND main = MakeWindow();
  MakeButton(main, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, "____", 10, 10, 100, 30, 1);
  Pump();
  int dark = 0;
  for (int y = 13; y < 37; ++y) {  // inside the frame
    for (int x = 13; x < 107; ++x)
      dark += Pixel(main, x, y) < 0x808080 ? 1 : 0;
  }
  EXPECT_GT(dark, 0);
}

TEST_F(ClickTest, ADisabledControlPassesItsClicksToTheParent) {
  EnableWindow(second_, FALSE);
  Click(main_, 20, 65);
  Pump();
  EXPECT_TRUE(Received(WM_COMMAND).empty());
  EXPECT_EQ(SendMessageA(second_, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  ASSERT_EQ(Received(WM_LBUTTONDOWN).size(), 1u);
  EXPECT_EQ(Received(WM_LBUTTONDOWN)[0].lParam, MAKELPARAM(20, 65));
}

TEST_F(ClickTest, DisablingTheParentWhileAButtonIsHeldCancelsTheClick) {
  Press(main_, 20, 100);
  Pump();
  EnableWindow(main_, FALSE);
  EXPECT_EQ(SendMessageA(push_, BM_GETSTATE, 0, 0) & BST_PUSHED, 0);
  EnableWindow(main_, TRUE);
  Release(main_, 20, 100);
  Pump();
  EXPECT_TRUE(Received(WM_COMMAND).empty());
}

TEST_F(ClickTest, ADisabledParentTakesNoClicks) {
  EnableWindow(main_, FALSE);
  Click(main_, 20, 30);
  Pump();
  EXPECT_TRUE(Received(WM_COMMAND).empty());
  EXPECT_EQ(SendMessageA(first_, BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

}  // namespace
}  // namespace coretest
