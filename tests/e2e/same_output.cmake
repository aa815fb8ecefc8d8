# Runs the commands FIRST and SECOND and fails unless both succeed and print
# the same, non-empty output. A command's words are joined by "|" (a
# program, its arguments, and before it the emulator that runs it, if any).
foreach(program FIRST SECOND)
  string(REPLACE "|" ";" command_${program} "${${program}}")
  execute_process(COMMAND ${command_${program}} OUTPUT_VARIABLE output_${program}
                  RESULT_VARIABLE status_${program})
  if(NOT status_${program} EQUAL 0)
    message(FATAL_ERROR "${${program}} failed with status ${status_${program}}")
  endif()
endforeach()
if(output_FIRST STREQUAL "")
  message(FATAL_ERROR "${FIRST} printed nothing")
endif()
if(NOT output_FIRST STREQUAL output_SECOND)
  message(FATAL_ERROR "outputs differ\n${FIRST}:\n${output_FIRST}\n${SECOND}:\n${output_SECOND}")
endif()
message(STATUS "both print:\n${output_FIRST}")
