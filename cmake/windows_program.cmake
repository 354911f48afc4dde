# The Windows program: one 64-bit GUI executable (Windows subsystem, WinMain as
# its entry) that needs no DLL beyond those of Windows itself, and the two
# release zips built from it.
if(NOT TARGET karvo_window OR NOT EXISTS ${PROJECT_SOURCE_DIR}/src/main.cpp)
  message(STATUS "Windows program: waiting for the window code")
  return()
endif()

add_executable(karvo-parts-changer WIN32 ${PROJECT_SOURCE_DIR}/src/main.cpp)
target_link_libraries(karvo-parts-changer PRIVATE karvo_window karvo_install)
# The C and C++ runtimes and winpthread are linked in, so the executable runs
# from any folder without MinGW's DLLs beside it.
target_link_options(karvo-parts-changer PRIVATE -static -static-libgcc -static-libstdc++)

# dist/karvo-parts-changer-<version>-windows.zip: the executable and the
# players' text. dist/karvo-parts-changer-<version>-sample-car.zip: the sample
# car folder with the executable in it, ready to try.
set(KARVO_DIST_DIR ${CMAKE_BINARY_DIR}/dist)
set(KARVO_PROGRAM_ZIP ${KARVO_DIST_DIR}/karvo-parts-changer-${PROJECT_VERSION}-windows.zip)
set(KARVO_SAMPLE_ZIP ${KARVO_DIST_DIR}/karvo-parts-changer-${PROJECT_VERSION}-sample-car.zip)
file(GLOB_RECURSE KARVO_EXAMPLE_FILES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/example/*)
add_custom_command(
  OUTPUT ${KARVO_PROGRAM_ZIP} ${KARVO_SAMPLE_ZIP}
  COMMAND ${CMAKE_COMMAND}
    -DEXE=$<TARGET_FILE:karvo-parts-changer>
    -DPLAYERS_TEXT=${PROJECT_SOURCE_DIR}/docs/PLAYERS.txt
    -DEXAMPLE_DIR=${PROJECT_SOURCE_DIR}/example
    -DSTAGE_DIR=${KARVO_DIST_DIR}/stage
    -DPROGRAM_ZIP=${KARVO_PROGRAM_ZIP}
    -DSAMPLE_ZIP=${KARVO_SAMPLE_ZIP}
    -P ${PROJECT_SOURCE_DIR}/cmake/make_zips.cmake
  DEPENDS karvo-parts-changer ${PROJECT_SOURCE_DIR}/docs/PLAYERS.txt
    ${PROJECT_SOURCE_DIR}/cmake/make_zips.cmake ${KARVO_EXAMPLE_FILES}
  COMMENT "Packing the release zips"
  VERBATIM)
add_custom_target(karvo_zips ALL DEPENDS ${KARVO_PROGRAM_ZIP} ${KARVO_SAMPLE_ZIP})
