# Runs the programs FIRST and SECOND and fails unless both succeed and print
# the same, non-empty output.
foreach(program FIRST SECOND)
  execute_process(COMMAND ${${program}} OUTPUT_VARIABLE output_${program}
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
