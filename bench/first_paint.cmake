# The first-paint probe: one start of a program on an X display, timed to its
# first complete paint (driven by first_paint.sh).
find_package(X11)
if(X11_FOUND AND X11_Xdamage_FOUND)
  add_executable(first_paint_probe ${CMAKE_CURRENT_LIST_DIR}/first_paint_probe.cpp)
  target_link_libraries(first_paint_probe PRIVATE X11::X11 X11::Xdamage)
endif()
