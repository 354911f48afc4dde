// The program's entry on Linux with a real display: the X11 presenter is
// installed before WinMain runs, and WinMain's result is the exit code.

#include <cstdio>
#include <memory>
#include <string>

#include "win32_subset.h"
#include "x11_presenter.h"

int main(int, char**) {
  std::string error;
  std::unique_ptr<w32::Presenter> presenter = w32::x11::OpenX11Presenter(error);
  if (!presenter) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  w32::SetPresenter(presenter.get());
  char noArguments[] = "";
  const int result = WinMain(GetModuleHandleA(nullptr), nullptr, noArguments, SW_SHOWDEFAULT);
  w32::SetPresenter(nullptr);
  return result;
}
