# vexo_add_test(<name> SOURCES <files...> LIBRARIES <targets...> [LABELS <labels...>])
#
# Builds one QtTest executable in the program directory (so tests find the translations,
# the manual and the camera library where the programs do) and registers it with CTest. Every test runs through
# tests/run-isolated.sh, which gives the process a fresh HOME, XDG folders and camera
# library state folders before it starts: the settings store locates its file before main(),
# so the environment has to be right when the process is created.
function(vexo_add_test name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBRARIES;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE Qt5::Test ${ARG_LIBRARIES})
  add_test(NAME ${name}
           COMMAND "${PROJECT_SOURCE_DIR}/tests/run-isolated.sh" "$<TARGET_FILE:${name}>")
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  # QtTest stops a test function after 300 s of its own. A test given more time may spend
  # it in one function on a loaded machine; the function limit stays 30 s short of the
  # test's, so a real hang still ends with QtTest's stack dump rather than a kill.
  math(EXPR function_ms "(${ARG_TIMEOUT} - 30) * 1000")
  if(function_ms LESS 300000)
    set(function_ms 300000)
  endif()
  set_tests_properties(${name} PROPERTIES
    TIMEOUT ${ARG_TIMEOUT}
    LABELS "${ARG_LABELS}"
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;VEXO_PROGRAM_DIR=${VEXO_OUTPUT_DIR};VEXO_SOURCE_DIR=${PROJECT_SOURCE_DIR};QTEST_FUNCTION_TIMEOUT=${function_ms}")
endfunction()
