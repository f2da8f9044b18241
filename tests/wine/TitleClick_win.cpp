// glint_wine_title_click COLUMN: clicks the title cell of a column of the
// monitor's grid from outside its process, as the mouse would (button down
// and up at the cell), and returns once the grid has repainted, so that a
// screenshot taken next shows the rows as that click sorted them.
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "tests/wine/WineDriver_win.h"

int main(int argc, char** argv) {
  using namespace glint::wine;
  if (argc != 2) {
    std::fprintf(stderr, "usage: glint_wine_title_click COLUMN\n");
    return 2;
  }
  try {
    HWND monitor = WaitForMonitor();
    if (!monitor) throw std::runtime_error("no monitor window");
    ClickGrid(monitor, CellPoint(monitor, std::atoi(argv[1]), 0));
    // Sends the pending paint and returns after it.
    RedrawWindow(GridWindow(monitor), nullptr, nullptr, RDW_UPDATENOW);
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "glint_wine_title_click: %s\n", e.what());
    return 1;
  }
}
