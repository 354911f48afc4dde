#include "headless_presenter.h"

int main(int argc, char** argv) {
  return headless::RunHeadless(argc, argv);
}
