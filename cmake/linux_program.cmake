# The program on Linux with a real X11 display: the same WinMain and WndProc as
# the Windows program, over our Win32 subset and the X11 presenter.
if(TARGET karvo_window AND TARGET karvo_win32 AND TARGET karvo_x11_main)
  # Until the core has sources, karvo_win32 only carries the headers.
  get_target_property(karvo_win32_type karvo_win32 TYPE)
  if(NOT karvo_win32_type STREQUAL "INTERFACE_LIBRARY")
    add_executable(karvo-parts-changer ${PROJECT_SOURCE_DIR}/src/main.cpp)
    target_link_libraries(karvo-parts-changer PRIVATE karvo_window karvo_install karvo_win32
                                                      karvo_x11_main)
  endif()
endif()
