// MessageBoxA: its window, its modal loop and the ways it is answered.

#include "core_fixture.h"

namespace coretest {
namespace {

using Kind = w32::InputEvent::Kind;

w32::InputEvent Event(Kind kind, w32::WindowId window, int x = 0, int y = 0) {
  w32::InputEvent event;
  event.kind = kind;
  event.window = window;
  event.x = x;
  event.y = y;
  return event;
}

class MessageBoxTest : public CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    main_ = MakeWindow();
    button_ = MakeButton(main_, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, "push", 10, 10, 80, 25, 1);
    Pump();
  }
  // The open message box, as the presenter was told of it.
  const w32::TopLevelInfo* OpenBox() const {
    for (auto it = input_.created.rbegin(); it != input_.created.rend(); ++it) {
      if (it->kind == w32::TopLevelKind::kMessageBox && w32::DescribeWindow(it->id).has_value())
        return &*it;
    }
    return nullptr;
  }
  HWND main_ = nullptr;
  HWND button_ = nullptr;
};

TEST_F(MessageBoxTest, OwnerIsDisabledAndStillPaintedWhileTheBoxIsOpen) {
  int paintsDuringBox = 0;
  bool ownerEnabledDuringBox = true;
  TestHandler() = [&](HWND hwnd, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (msg == WM_PAINT && OpenBox())
      ++paintsDuringBox;
    (void)hwnd;
    return std::nullopt;
  };
  const w32::WindowId mainId = reinterpret_cast<w32::WindowId>(main_);
  bool queued = false;
  input_.onWait = [&] {
    if (!OpenBox())
      return;
    ownerEnabledDuringBox = IsWindowEnabled(main_) != FALSE;
    if (!queued) {
      queued = true;
      // Clicks on the owner go nowhere while the box is open; a paint still
      // comes through.
      Click(main_, 20, 20);
      input_.events.push_back(Event(Kind::kClose, mainId));
      InvalidateRect(main_, nullptr, FALSE);
      Key(VK_RETURN);
    }
  };
  InvalidateRect(main_, nullptr, FALSE);  // waiting when the box opens
  const int answer = MessageBoxA(main_, "Two\nlines", "", MB_ICONWARNING);

  EXPECT_EQ(answer, IDOK);
  EXPECT_FALSE(ownerEnabledDuringBox);
  EXPECT_GE(paintsDuringBox, 1);
  EXPECT_TRUE(IsWindowEnabled(main_));
  EXPECT_TRUE(IsWindow(main_));  // the close was refused
  EXPECT_TRUE(Received(WM_COMMAND).empty());
  EXPECT_EQ(OpenBox(), nullptr);

  ASSERT_FALSE(input_.created.empty());
  const w32::TopLevelInfo& box = input_.created.back();
  EXPECT_EQ(box.kind, w32::TopLevelKind::kMessageBox);
  EXPECT_EQ(box.owner, mainId);
  EXPECT_EQ(box.title, "");
  EXPECT_EQ(box.text, "Two\nlines");
  EXPECT_EQ(box.flags, MB_ICONWARNING);
  const std::vector<std::pair<w32::WindowId, bool>> expected{{mainId, false}, {mainId, true}};
  EXPECT_EQ(input_.enabled, expected);
}

struct AnswerCase {
  const char* name;
  int key;     // 0: no key
  bool close;  // the box's close button
  bool clickOk;
};

const AnswerCase kAnswers[] = {
    {"Enter", VK_RETURN, false, false},  {"Space", VK_SPACE, false, false},
    {"Escape", VK_ESCAPE, false, false}, {"CloseButton", 0, true, false},
    {"OkButton", 0, false, true},
};

class AnswerTest : public MessageBoxTest, public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(AnswerTest, EveryWayOfAnsweringReturnsOk) {
  const AnswerCase& c = GetParam();
  input_.onWait = [&] {
    const w32::TopLevelInfo* box = OpenBox();
    if (!box || !input_.events.empty())
      return;
    if (c.key) {
      Key(c.key);
    } else if (c.close) {
      input_.events.push_back(Event(Kind::kClose, box->id));
    } else {
      // The OK button is the box's only control.
      const std::vector<w32::WindowId> children = w32::ChildWindows(box->id);
      ASSERT_EQ(children.size(), 1u);
      const w32::WindowDescription ok = *w32::DescribeWindow(children[0]);
      EXPECT_EQ(ok.text, "OK");
      const int x = ok.x + ok.width / 2, y = ok.y + ok.height / 2;
      input_.events.push_back(Event(Kind::kMouseDown, box->id, x, y));
      input_.events.push_back(Event(Kind::kMouseUp, box->id, x, y));
    }
  };
  EXPECT_EQ(MessageBoxA(main_, "Parts installed", "", MB_ICONINFORMATION), IDOK);
  EXPECT_EQ(OpenBox(), nullptr);
  EXPECT_TRUE(IsWindowEnabled(main_));
}

INSTANTIATE_TEST_SUITE_P(Answers, AnswerTest, ::testing::ValuesIn(kAnswers),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MessageBoxTest, QuitEndsTheBoxAndReachesTheOuterLoop) {
  input_.onWait = [&] {
    if (OpenBox() && input_.events.empty()) {
      PostQuitMessage(9);
      input_.events.push_back(Event(Kind::kWake, 0));
    }
  };
  MessageBoxA(main_, "text", "", MB_OK);
  EXPECT_EQ(OpenBox(), nullptr);
  EXPECT_TRUE(IsWindowEnabled(main_));
  input_.onWait = nullptr;
  EXPECT_EQ(Pump(), 9);
}

TEST_F(MessageBoxTest, DestroyingTheOwnerClosesTheBox) {
  input_.onWait = [&] {
    if (OpenBox() && IsWindow(main_))
      PostMessageA(main_, WM_CLOSE, 0, 0);  // DefWindowProcA destroys it
    input_.events.push_back(Event(Kind::kWake, 0));
  };
  EXPECT_EQ(MessageBoxA(main_, "text", "", MB_ICONERROR), 0);
  EXPECT_FALSE(IsWindow(main_));
  EXPECT_EQ(OpenBox(), nullptr);
}

TEST_F(MessageBoxTest, AStaleOwnerIsRefused) {
  HWND gone = MakeWindow();
  DestroyWindow(gone);
  EXPECT_EQ(MessageBoxA(gone, "text", "", MB_OK), 0);
  EXPECT_EQ(OpenBox(), nullptr);
}

}  // namespace
}  // namespace coretest
