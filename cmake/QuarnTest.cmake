# Test support: GoogleTest built from Debian's sources with the compiler of this build, and on Windows
# builds a wrapper that runs each test executable under Wine in the build's own prefix.

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# GoogleTest's own sources are not held to our warning flags.
foreach(t gtest gtest_main)
  target_compile_options(${t} PRIVATE -w)
endforeach()

if(WIN32)
  set(QUARN_WINEPREFIX "${CMAKE_BINARY_DIR}/wineprefix" CACHE PATH "Wine prefix the tests run in")
  set(QUARN_TEST_TMP "${CMAKE_BINARY_DIR}/testtmp")
  configure_file(${PROJECT_SOURCE_DIR}/cmake/wine-env.in ${CMAKE_BINARY_DIR}/wine-env @ONLY)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/wine-run.in ${CMAKE_BINARY_DIR}/wine-run @ONLY
                 FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                  WORLD_READ WORLD_EXECUTE)
endif()

# quarn_add_test(<name> SOURCES <files...> [LIBS <libs...>] [TIMEOUT <seconds>] [LOCKS <names...>] [NO_MAIN])
# One executable, one ctest test. Each Windows test runs with a temporary folder of its own. LOCKS names
# shared things (a fixed port, registry keys) that no two tests may use at once. TIMEOUT (120 s unless
# given) stays above what the program's slowest test may wait through to the bounds of its waits, plus
# the rest of its run: a step that is slow on a busy machine then fails with the test's own message
# before ctest kills the program.
function(quarn_add_test name)
  cmake_parse_arguments(T "NO_MAIN" "TIMEOUT" "SOURCES;LIBS;LOCKS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} gtest)
  if(NOT T_NO_MAIN)
    if(WIN32)
      target_link_libraries(${name} PRIVATE quarn_test_main)
    else()
      target_link_libraries(${name} PRIVATE gtest_main)
    endif()
  endif()
  if(WIN32)
    add_test(NAME ${name} COMMAND ${CMAKE_BINARY_DIR}/wine-run --gtest $<TARGET_FILE:${name}>)
  else()
    add_test(NAME ${name} COMMAND ${name})
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
  if(T_LOCKS)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK "${T_LOCKS}")
  endif()
endfunction()

# quarn_window_test(<name>): the test <name> shows windows on the shared display, so it runs alone among
# such tests: the mouse pointer, the keyboard focus and the foreground window are one per display.
function(quarn_window_test name)
  set_property(TEST ${name} APPEND PROPERTY RESOURCE_LOCK quarn_desktop)
endfunction()
