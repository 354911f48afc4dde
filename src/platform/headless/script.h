#pragma once
// The headless program's script: one command a line, blank lines and lines
// starting with '#' ignored. Coordinates are client coordinates of the main
// window.
//
//   click X Y | press X Y | release X Y      left button at (X, Y)
//   close                                    the user closes the main window
//   answer                                   OK on the open message box
//   key VK                                   a key (decimal virtual-key code)
//   expose L T R B                           that area is uncovered
//   resize W H                               the client area is now W by H
//   command ID CODE SENDER                   WM_COMMAND to the main window;
//                                            SENDER is 0, main or control:N
//   dump PATH | dumpbox PATH                 write a surface as a 24-bit BMP
//   controls | window                        print the main window's controls
//                                            or the main window itself

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace headless {

struct Command {
  enum class Kind {
    kClick,
    kPress,
    kRelease,
    kClose,
    kAnswer,
    kKey,
    kExpose,
    kResize,
    kCommand,
    kDump,
    kDumpBox,
    kControls,
    kWindow,
  };
  // Who a `command` names as its sender.
  enum class Sender { kNone, kMain, kControl };

  Kind kind = Kind::kClick;
  std::vector<int> numbers;  // the command's numbers, in order
  std::string path;          // dump, dumpbox
  Sender sender = Sender::kNone;
  int senderControl = 0;  // control:N, 1-based
  int line = 0;           // in the script, 1-based
};

struct ParsedScript {
  std::vector<Command> commands;
  std::string error;  // empty when every line is a known, well-formed command
};

ParsedScript ParseScript(std::string_view text);

}  // namespace headless
