# Runs a fuzz target once over every input kept under the given folders, so
# the seed corpora and every crash ever found stay regression tests.
#   cmake -DTARGET=<binary> -DINPUT_DIRS=<dir>[,<dir>...] -P replay_inputs.cmake
string(REPLACE "," ";" dirs "${INPUT_DIRS}")
set(inputs)
foreach(dir IN LISTS dirs)
  if(IS_DIRECTORY "${dir}")
    file(GLOB_RECURSE found LIST_DIRECTORIES false "${dir}/*")
    list(APPEND inputs ${found})
  endif()
endforeach()
# Notes beside the inputs (README.md) are not inputs.
list(FILTER inputs EXCLUDE REGEX "/(\\.[^/]*|[^/]*\\.md)$")
list(LENGTH inputs count)
if(count EQUAL 0)
  # Given no files a libFuzzer binary would start fuzzing instead.
  message(FATAL_ERROR "no inputs under ${INPUT_DIRS}")
endif()
list(SORT inputs)
execute_process(COMMAND "${TARGET}" ${inputs} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${TARGET} failed (${result}) on one of ${count} inputs")
endif()
message(STATUS "${count} inputs replayed through ${TARGET}")
