#pragma once
// The presenter for a real X11 display: one X window per top-level window of
// the core (the main window and message boxes), showing the core's surface
// pixel for pixel and turning the user's presses, keys, exposures, resizes and
// the window manager's close into InputEvents.

#include <memory>
#include <string>

#include "presenter.h"

namespace w32::x11 {

// Connects to the display that DISPLAY names. On failure returns null and
// sets `error` to one line for the user; nothing else is done then. The
// presenter owns the connection and closes it, with every window it still
// shows, when it is destroyed.
std::unique_ptr<Presenter> OpenX11Presenter(std::string& error);

}  // namespace w32::x11
