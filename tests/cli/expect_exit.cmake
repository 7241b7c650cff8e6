# cmake -DEXPECTED_EXIT=N -P expect_exit.cmake COMMAND...: runs COMMAND and
# passes only if it exits with exactly N, so that a usage error cannot pass
# for a failed file or the other way round.
set(command)
set(first -1)
math(EXPR last "${CMAKE_ARGC} - 1")
foreach(i RANGE ${last})
  if(first EQUAL -1 AND CMAKE_ARGV${i} STREQUAL "-P")
    math(EXPR first "${i} + 2") # past the script's own name
  elseif(NOT first EQUAL -1 AND i GREATER_EQUAL first)
    list(APPEND command "${CMAKE_ARGV${i}}")
  endif()
endforeach()
execute_process(COMMAND ${command} RESULT_VARIABLE result)
if(NOT result STREQUAL "${EXPECTED_EXIT}")
  list(JOIN command " " shown)
  message(FATAL_ERROR "${shown}: exit ${result}, wanted ${EXPECTED_EXIT}")
endif()
