// The headless program: `karvo_headless SCRIPT` runs the program's WinMain
// with its input taken from the script.

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "headless_presenter.h"
#include "win32_subset.h"

namespace headless {
namespace {

int RunHeadless(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: " << (argc > 0 ? argv[0] : "karvo_headless") << " SCRIPT" << std::endl;
    return kExitBadCommand;
  }
  std::ifstream file(argv[1], std::ios::binary);
  if (!file) {
    std::cerr << "cannot read the script " << argv[1] << std::endl;
    return kExitBadCommand;
  }
  const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  ParsedScript script = ParseScript(text);
  if (!script.error.empty()) {
    std::cerr << argv[1] << ": " << script.error << std::endl;
    return kExitBadCommand;
  }
  // Lives until the process ends: the core may call it until then.
  static HeadlessPresenter* const presenter = new HeadlessPresenter(
      std::move(script.commands), std::cout, std::cerr, [](int code) { std::exit(code); });
  w32::SetPresenter(presenter);
  static char commandLine[] = "";
  return WinMain(GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOWDEFAULT);
}

}  // namespace
}  // namespace headless

int main(int argc, char** argv) {
  return headless::RunHeadless(argc, argv);
}
