# Stages and packs the two release zips (run with cmake -P; see
# windows_program.cmake for the variables). The players' text gets CR LF line
# ends so that every Windows text editor shows it as lines.
foreach(var EXE PLAYERS_TEXT EXAMPLE_DIR STAGE_DIR PROGRAM_ZIP SAMPLE_ZIP)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "make_zips.cmake: ${var} is not set")
  endif()
endforeach()

set(sample_folder Karvo_Zelt_Omra_sample_car)
file(REMOVE_RECURSE ${STAGE_DIR})
file(MAKE_DIRECTORY ${STAGE_DIR}/program ${STAGE_DIR}/sample)

file(READ ${PLAYERS_TEXT} players)
string(REPLACE "\r\n" "\n" players "${players}")
string(REPLACE "\n" "\r\n" players "${players}")
file(WRITE ${STAGE_DIR}/program/PLAYERS.txt "${players}")
file(COPY ${EXE} DESTINATION ${STAGE_DIR}/program)

file(COPY ${EXAMPLE_DIR}/ DESTINATION ${STAGE_DIR}/sample/${sample_folder})
file(COPY ${EXE} ${STAGE_DIR}/program/PLAYERS.txt DESTINATION ${STAGE_DIR}/sample/${sample_folder})

# Every entry carries one fixed date instead of the build time.
function(pack zip dir)
  file(GLOB_RECURSE files RELATIVE ${dir} ${dir}/*)
  list(SORT files)
  file(REMOVE ${zip})
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip "--mtime=2026-01-01 00:00:00 UTC" ${files}
    WORKING_DIRECTORY ${dir}
    RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "make_zips.cmake: packing ${zip} failed")
  endif()
endfunction()

pack(${PROGRAM_ZIP} ${STAGE_DIR}/program)
pack(${SAMPLE_ZIP} ${STAGE_DIR}/sample)
