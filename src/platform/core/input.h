#pragma once
// Input and the wait for it, shared by the message loop functions, the
// controls and the message box's modal loop.

#include "state.h"

namespace w32::core {

// Turns a presenter's event into the messages the platform would post.
void DeliverInput(const InputEvent& event);
// One message, waiting for input when nothing is queued: 1, 0 for WM_QUIT,
// or -1 when nothing is queued and no presenter is set.
int WaitMessage(MSG* msg, HWND filter, UINT low, UINT high);
// True for windows that the mouse passes through (group boxes).
bool IsTransparentToMouse(const Window& window);
// The window and all its ancestors are enabled.
bool AcceptsInput(const Window& window);

}  // namespace w32::core
