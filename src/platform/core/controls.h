#pragma once
// The window procedures of the classes the core brings along.

#include "win32_subset.h"

namespace w32::core {

// "button": group box, auto radio button and push button.
LRESULT CALLBACK ButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// The message box window that MessageBoxA opens.
LRESULT CALLBACK MessageBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

inline constexpr const char* kButtonClass = "button";
inline constexpr const char* kMessageBoxClass = "#32770";

}  // namespace w32::core
