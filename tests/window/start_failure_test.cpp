// WinMain in this process: when the main window cannot be set up it returns 1
// at once instead of waiting for a quit message that nothing would post.

#include <gtest/gtest.h>

#include "win_api.h"

namespace {

LRESULT CALLBACK SomeoneElsesProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

TEST(ChooserStartFailure, WinMainReturnsOneWhenItsClassCannotBeRegistered) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA taken{};
  taken.lpfnWndProc = SomeoneElsesProc;
  taken.hInstance = instance;
  taken.lpszClassName = "Karvo Zelt Omra Lights and Parts";
  ASSERT_NE(0, RegisterClassA(&taken));

  char noArguments[] = "";
  EXPECT_EQ(1, WinMain(instance, nullptr, noArguments, SW_SHOWDEFAULT));
}

}  // namespace
