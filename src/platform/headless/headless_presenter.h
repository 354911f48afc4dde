#pragma once
// The presenter that tests drive: input comes from a script (script.h), and
// what a user would see is printed or written to files.
//
// Printed on standard output, one line each:
//   messagebox owner=main caption="" flags=0x30 text="Choose one all 8 boxes!"
//     when a message box opens (owner main, none or other; in texts a line
//     end is written \n, a carriage return \r and a quote \")
//   control 1 class=button text="OFF" style=0x50000009 rect=20,30,100,30 id=2 checked=0
//     for each child of the main window, on `controls`
//   window title="..." class="..." style=0x10CF0000 outer=50,20,695,700 client=687,673
//     on `window`
// The main window is the first application window created.

#include <deque>
#include <functional>
#include <ostream>
#include <vector>

#include "presenter.h"
#include "script.h"

namespace headless {

// Exit codes of the headless program besides WinMain's own result.
inline constexpr int kExitScriptEnded = 3;  // the program still waits for input
inline constexpr int kExitBadCommand = 4;   // unknown, malformed or impossible command

class HeadlessPresenter : public w32::Presenter {
 public:
  // `exit` ends the process with a code and does not return.
  HeadlessPresenter(std::vector<Command> commands, std::ostream& out, std::ostream& err,
                    std::function<void(int)> exit);

  void TopLevelCreated(const w32::TopLevelInfo& info) override;
  void TopLevelDestroyed(w32::WindowId id) override;
  void TopLevelEnabled(w32::WindowId, bool) override {}
  void SurfaceUpdated(w32::WindowId, const w32::Surface&, const w32::PixelRect&) override {}
  w32::InputEvent WaitEvent() override;

 private:
  // Runs one command: queues the events it makes, or does it at once.
  void Run(const Command& command);
  [[noreturn]] void Fail(const Command& command, const std::string& why);
  w32::WindowId MainWindow(const Command& command);
  void PrintControls(const Command& command);
  void PrintWindow(const Command& command);
  void Dump(const Command& command, w32::WindowId window);

  std::vector<Command> commands_;
  std::size_t next_ = 0;
  std::deque<w32::InputEvent> pending_;
  w32::WindowId main_ = 0;
  bool mainSeen_ = false;
  std::vector<w32::WindowId> boxes_;  // open message boxes, oldest first
  std::ostream& out_;
  std::ostream& err_;
  std::function<void(int)> exit_;
};

}  // namespace headless
