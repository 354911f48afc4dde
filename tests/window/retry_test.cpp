// A failed install keeps the window open: the player fixes the files while
// the error box is up and presses the button again. WinMain runs in this
// process with a presenter whose steps may change files between inputs.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "catalogue.h"
#include "headless_harness.h"
#include "presenter.h"
#include "win_api.h"

namespace window_test {
namespace {

// Answers the core's WaitEvent from a list of steps: input events, or test
// code run while the program waits (a message box may be open then).
class StepPresenter : public w32::Presenter {
 public:
  void Click(int x, int y) {
    steps_.push_back([this, x, y] {
      pending_.push_back(Mouse(w32::InputEvent::Kind::kMouseDown, x, y));
      pending_.push_back(Mouse(w32::InputEvent::Kind::kMouseUp, x, y));
    });
  }
  void AnswerBox() {
    steps_.push_back([this] {
      ASSERT_FALSE(openBoxes_.empty()) << "no message box to answer";
      w32::InputEvent enter;
      enter.kind = w32::InputEvent::Kind::kKeyDown;
      enter.window = openBoxes_.back();
      enter.key = VK_RETURN;
      pending_.push_back(enter);
    });
  }
  void Do(std::function<void()> action) { steps_.push_back(std::move(action)); }

  const std::vector<w32::TopLevelInfo>& boxes() const { return boxes_; }
  bool BoxOpen() const { return !openBoxes_.empty(); }

  void TopLevelCreated(const w32::TopLevelInfo& info) override {
    if (info.kind == w32::TopLevelKind::kMessageBox) {
      boxes_.push_back(info);
      openBoxes_.push_back(info.id);
    } else if (main_ == 0) {
      main_ = info.id;
    }
  }
  void TopLevelDestroyed(w32::WindowId id) override {
    openBoxes_.erase(std::remove(openBoxes_.begin(), openBoxes_.end(), id), openBoxes_.end());
  }
  void TopLevelEnabled(w32::WindowId, bool) override {}
  void SurfaceUpdated(w32::WindowId, const w32::Surface&, const w32::PixelRect&) override {}

  w32::InputEvent WaitEvent() override {
    while (pending_.empty()) {
      if (steps_.empty()) {
        // Returning nothing is not possible: the program would wait for ever.
        std::fprintf(stderr, "the steps ended while the program waits\n");
        std::_Exit(3);
      }
      std::function<void()> step = std::move(steps_.front());
      steps_.pop_front();
      step();
    }
    w32::InputEvent event = pending_.front();
    pending_.pop_front();
    return event;
  }

 private:
  w32::InputEvent Mouse(w32::InputEvent::Kind kind, int x, int y) const {
    w32::InputEvent event;
    event.kind = kind;
    event.window = main_;
    event.x = x;
    event.y = y;
    return event;
  }

  w32::WindowId main_ = 0;
  std::deque<std::function<void()>> steps_;
  std::deque<w32::InputEvent> pending_;
  std::vector<w32::TopLevelInfo> boxes_;
  std::vector<w32::WindowId> openBoxes_;
};

TEST(ChooserInstallRetry, FixingTheFilesAndPressingAgainInstalls) {
  TempFolder temp;
  const fs::path car = fs::path(temp.path()) / "car";
  CopySampleCar(car);
  const fs::path snippet = InFolder(car, "ini\\mirror\\racing\\racing.txt");
  fs::remove(snippet);

  // Modern mirror (22) with its snippet missing; the other groups' options
  // clicked at their buttons' places.
  const Choices choices{2, 1, 3, 2, 1, 2, 1, 2};
  const std::vector<std::pair<int, int>> clicks = {{40, 65},  {210, 40},  {380, 90},  {550, 575},
                                                   {40, 550}, {210, 575}, {380, 550}, {550, 65}};
  StepPresenter presenter;
  for (const auto& [x, y] : clicks)
    presenter.Click(x, y);
  presenter.Click(340, 335);
  FolderSnapshot beforeFix;
  presenter.Do([&] {
    ASSERT_TRUE(presenter.BoxOpen()) << "the error box is up";
    beforeFix = Snapshot(car);
    fs::copy_file(InFolder(KARVO_EXAMPLE_DIR, "ini\\mirror\\racing\\racing.txt"), snippet);
  });
  presenter.AnswerBox();
  presenter.Click(340, 335);
  presenter.AnswerBox();
  int exitCode = -1;
  {
    WorkingDirectory inCar(car.string());
    w32::SetPresenter(&presenter);
    exitCode = WinMain(GetModuleHandleA(nullptr), nullptr, nullptr, SW_SHOWDEFAULT);
    w32::SetPresenter(nullptr);
  }

  EXPECT_EQ(0, exitCode);
  ASSERT_EQ(2u, presenter.boxes().size());
  const w32::TopLevelInfo& error = presenter.boxes()[0];
  EXPECT_EQ(MB_ICONERROR, error.flags);
  EXPECT_EQ("", error.title);
  EXPECT_EQ(0u, error.text.find("Parts not installed:\n")) << error.text;
  EXPECT_NE(std::string::npos, error.text.find("ini\\mirror\\racing\\racing.txt")) << error.text;
  EXPECT_EQ(MB_ICONINFORMATION, presenter.boxes()[1].flags);
  EXPECT_EQ("Parts installed", presenter.boxes()[1].text);

  // Nothing was written by the failed press; the second wrote what the
  // engine writes for these choices.
  FolderSnapshot untouched = Snapshot(KARVO_EXAMPLE_DIR);
  untouched.erase("ini/mirror/racing/racing.txt");
  EXPECT_EQ(untouched.size(), beforeFix.size());
  for (const auto& [name, state] : untouched) {
    EXPECT_EQ(state.bytes, beforeFix[name].bytes) << name;
  }
  const fs::path reference = fs::path(temp.path()) / "reference";
  CopySampleCar(reference);
  ASSERT_TRUE(RunEngineIn(reference, choices).succeeded);
  EXPECT_TRUE(Contents(reference) == Contents(car));
}

}  // namespace
}  // namespace window_test
