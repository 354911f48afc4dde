#include "headless_presenter.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "codec/bmp.h"
#include "window_query.h"
#include "win32_subset.h"

namespace headless {
namespace {

std::string Quoted(const std::string& text) {
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '\n')
      quoted += "\\n";
    else if (c == '\r')
      quoted += "\\r";
    else if (c == '"')
      quoted += "\\\"";
    else
      quoted += c;
  }
  return quoted + "\"";
}

std::string Hex(unsigned long value, int digits) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "0x%0*lX", digits, value);
  return buffer;
}

w32::InputEvent Event(w32::InputEvent::Kind kind, w32::WindowId window) {
  w32::InputEvent event;
  event.kind = kind;
  event.window = window;
  return event;
}

w32::InputEvent Mouse(w32::InputEvent::Kind kind, w32::WindowId window, const Command& command) {
  w32::InputEvent event = Event(kind, window);
  event.x = command.numbers[0];
  event.y = command.numbers[1];
  return event;
}

}  // namespace

HeadlessPresenter::HeadlessPresenter(std::vector<Command> commands, std::ostream& out,
                                     std::ostream& err, std::function<void(int)> exit)
    : commands_(std::move(commands)), out_(out), err_(err), exit_(std::move(exit)) {}

void HeadlessPresenter::TopLevelCreated(const w32::TopLevelInfo& info) {
  if (info.kind == w32::TopLevelKind::kApplication) {
    if (!mainSeen_) {
      main_ = info.id;
      mainSeen_ = true;
    }
    return;
  }
  boxes_.push_back(info.id);
  const char* owner = info.owner == 0 ? "none" : info.owner == main_ ? "main" : "other";
  out_ << "messagebox owner=" << owner << " caption=" << Quoted(info.title)
       << " flags=" << Hex(info.flags, 2) << " text=" << Quoted(info.text) << std::endl;
}

void HeadlessPresenter::TopLevelDestroyed(w32::WindowId id) {
  boxes_.erase(std::remove(boxes_.begin(), boxes_.end(), id), boxes_.end());
}

w32::InputEvent HeadlessPresenter::WaitEvent() {
  while (pending_.empty()) {
    if (next_ == commands_.size()) {
      out_.flush();
      err_ << "script ended while the program waits" << std::endl;
      exit_(kExitScriptEnded);
      std::abort();  // exit_ does not return
    }
    Run(commands_[next_++]);
  }
  w32::InputEvent event = pending_.front();
  pending_.pop_front();
  return event;
}

void HeadlessPresenter::Fail(const Command& command, const std::string& why) {
  out_.flush();
  err_ << "script line " << command.line << ": " << why << std::endl;
  exit_(kExitBadCommand);
  std::abort();  // exit_ does not return
}

w32::WindowId HeadlessPresenter::MainWindow(const Command& command) {
  if (!mainSeen_ || !w32::DescribeWindow(main_))
    Fail(command, "there is no main window");
  return main_;
}

void HeadlessPresenter::Run(const Command& command) {
  using Kind = w32::InputEvent::Kind;
  switch (command.kind) {
    case Command::Kind::kClick:
      pending_.push_back(Mouse(Kind::kMouseDown, MainWindow(command), command));
      pending_.push_back(Mouse(Kind::kMouseUp, main_, command));
      break;
    case Command::Kind::kPress:
      pending_.push_back(Mouse(Kind::kMouseDown, MainWindow(command), command));
      break;
    case Command::Kind::kRelease:
      pending_.push_back(Mouse(Kind::kMouseUp, MainWindow(command), command));
      break;
    case Command::Kind::kClose:
      pending_.push_back(Event(Kind::kClose, MainWindow(command)));
      break;
    case Command::Kind::kAnswer: {
      if (boxes_.empty())
        Fail(command, "answer: no message box is open");
      w32::InputEvent event = Event(Kind::kKeyDown, boxes_.back());
      event.key = VK_RETURN;
      pending_.push_back(event);
      break;
    }
    case Command::Kind::kKey: {
      w32::InputEvent event = Event(Kind::kKeyDown, 0);  // to the active window
      event.key = command.numbers[0];
      pending_.push_back(event);
      break;
    }
    case Command::Kind::kExpose: {
      w32::InputEvent event = Event(Kind::kExpose, MainWindow(command));
      event.area = {command.numbers[0], command.numbers[1], command.numbers[2], command.numbers[3]};
      pending_.push_back(event);
      break;
    }
    case Command::Kind::kResize: {
      if (command.numbers[0] < 0 || command.numbers[1] < 0)
        Fail(command, "resize: a size cannot be negative");
      w32::InputEvent event = Event(Kind::kResize, MainWindow(command));
      event.x = command.numbers[0];
      event.y = command.numbers[1];
      pending_.push_back(event);
      break;
    }
    case Command::Kind::kCommand: {
      const w32::WindowId window = MainWindow(command);
      LPARAM sender = 0;
      if (command.sender == Command::Sender::kMain) {
        sender = static_cast<LPARAM>(window);
      } else if (command.sender == Command::Sender::kControl) {
        const std::vector<w32::WindowId> children = w32::ChildWindows(window);
        if (command.senderControl > static_cast<int>(children.size()))
          Fail(command,
               "command: the main window has no control " + std::to_string(command.senderControl));
        sender = static_cast<LPARAM>(children[command.senderControl - 1]);
      }
      PostMessageA(reinterpret_cast<HWND>(window), WM_COMMAND,
                   MAKEWPARAM(command.numbers[0], command.numbers[1]), sender);
      pending_.push_back(Event(Kind::kWake, window));
      break;
    }
    case Command::Kind::kDump:
      Dump(command, MainWindow(command));
      break;
    case Command::Kind::kDumpBox:
      if (boxes_.empty())
        Fail(command, "dumpbox: no message box is open");
      Dump(command, boxes_.back());
      break;
    case Command::Kind::kControls:
      PrintControls(command);
      break;
    case Command::Kind::kWindow:
      PrintWindow(command);
      break;
  }
}

void HeadlessPresenter::PrintControls(const Command& command) {
  int n = 0;
  for (w32::WindowId child : w32::ChildWindows(MainWindow(command))) {
    const std::optional<w32::WindowDescription> d = w32::DescribeWindow(child);
    out_ << "control " << ++n << " class=" << d->className << " text=" << Quoted(d->text)
         << " style=" << Hex(d->style, 8) << " rect=" << d->x << ',' << d->y << ',' << d->width
         << ',' << d->height << " id=" << d->id << " checked=" << (d->checked ? 1 : 0) << '\n';
  }
  out_.flush();
}

void HeadlessPresenter::PrintWindow(const Command& command) {
  const std::optional<w32::WindowDescription> d = w32::DescribeWindow(MainWindow(command));
  out_ << "window title=" << Quoted(d->text) << " class=" << Quoted(d->className)
       << " style=" << Hex(d->style, 8) << " outer=" << d->x << ',' << d->y << ',' << d->width
       << ',' << d->height << " client=" << d->clientWidth << ',' << d->clientHeight << std::endl;
}

void HeadlessPresenter::Dump(const Command& command, w32::WindowId window) {
  const w32::Surface* surface = w32::SurfaceOf(window);
  if (!surface || surface->width <= 0 || surface->height <= 0)
    Fail(command, "dump: the window has no pixels to write");
  codec::Bitmap bitmap;
  bitmap.width = surface->width;
  bitmap.height = surface->height;
  bitmap.pixels = surface->pixels;
  if (!codec::WriteBmpFile(command.path, bitmap))
    Fail(command, "dump: cannot write " + command.path);
}

}  // namespace headless
