#pragma once
// What the core's tests share: a presenter that hands over the input a test
// queues, a test window class that records its messages and lets a test add
// behaviour, and a fixture that leaves no window or message behind.

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "window_query.h"
#include "presenter.h"
#include "win32_subset.h"

namespace coretest {

class QueuedInput : public w32::Presenter {
 public:
  void TopLevelCreated(const w32::TopLevelInfo& info) override { created.push_back(info); }
  void TopLevelDestroyed(w32::WindowId id) override { destroyed.push_back(id); }
  void TopLevelEnabled(w32::WindowId id, bool on) override { enabled.push_back({id, on}); }
  void SurfaceUpdated(w32::WindowId, const w32::Surface&, const w32::PixelRect&) override {}
  // Hands over the next queued event. With none left, it stops the pump
  // (see CoreTest::Pump); a second wait in a row is a test fault.
  w32::InputEvent WaitEvent() override;

  std::deque<w32::InputEvent> events;
  std::function<void()> onWait;  // runs at every wait, before the event is taken
  std::vector<w32::TopLevelInfo> created;
  std::vector<w32::WindowId> destroyed;
  std::vector<std::pair<w32::WindowId, bool>> enabled;
  int idleWaits = 0;
};

struct Message {
  HWND hwnd;
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
};

// Gives a test's own answer to a message of the test window class; returns
// nothing to let default processing run.
using Handler = std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)>;

// Every message the test window class received since the test began, and
// the test's own handling.
std::vector<Message>& MessageLog();
Handler& TestHandler();

class CoreTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A window of the test class; destroyed at the end of the test.
  HWND MakeWindow(DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE, int width = 220, int height = 160,
                  HWND parent = nullptr);
  HWND MakeButton(HWND parent, DWORD style, const char* text, int x, int y, int width, int height,
                  int id);
  // Queues input for the top-level window.
  void Press(HWND top, int x, int y);
  void Release(HWND top, int x, int y);
  void Click(HWND top, int x, int y);
  void Key(int vk);
  // Runs the message loop until every queued event is handled and nothing
  // is left to do. Returns the exit code if WM_QUIT came instead.
  std::optional<int> Pump();

  static std::uint32_t Pixel(HWND top, int x, int y);
  // The messages the test class received, in order, without paints.
  std::vector<Message> Received(UINT msg) const;

  QueuedInput input_;
  std::vector<HWND> windows_;
};

// A folder of its own for one test, removed afterwards.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace coretest
