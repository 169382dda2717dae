# velmora_library(NAME DIRS dir... [EXCLUDE regex] [DEPS dep...]): a static
# library of every .cpp under the DIRS except the paths EXCLUDE matches (an
# interface library while they hold none), with src/ on the include path.
function(velmora_library name)
  cmake_parse_arguments(ARG "" "EXCLUDE" "DIRS;DEPS" ${ARGN})
  set(sources "")
  foreach(dir IN LISTS ARG_DIRS)
    file(GLOB_RECURSE found CONFIGURE_DEPENDS "${dir}/*.cpp")
    list(APPEND sources ${found})
  endforeach()
  if(ARG_EXCLUDE)
    list(FILTER sources EXCLUDE REGEX "${ARG_EXCLUDE}")
  endif()
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# The sanitizer builds compile and run only the tests that exercise what they
# check; a test carries the label of each sanitizer stage that runs it, and
# these targets build exactly the programs those stages need.
add_custom_target(asan_suite)
add_custom_target(tsan_suite)

# velmora_test(NAME DIR LABELS label... [TSAN_FILTER gtest-filter] DEPS dep...):
# one GoogleTest program of every *Test.cpp under DIR, registered with ctest
# under the LABELS (the kind of test, then "asan" and/or "tsan" for the
# sanitizer stages that run all of it).
#
# Tests that start real threads but live among virtual-time tests go into
# files named *ThreadsTest.cpp: those become a program of their own, NAME_threads,
# that the ThreadSanitizer stage builds and runs without the rest. TSAN_FILTER
# picks single tests of a program for that stage instead.
function(velmora_test name dir)
  cmake_parse_arguments(ARG "" "TSAN_FILTER" "LABELS;DEPS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS "${dir}/*Test.cpp")
  set(threads_sources ${sources})
  list(FILTER threads_sources INCLUDE REGEX "ThreadsTest\\.cpp$")
  list(FILTER sources EXCLUDE REGEX "ThreadsTest\\.cpp$")
  if(threads_sources)
    set(threads_labels ${ARG_LABELS} tsan)
    list(REMOVE_DUPLICATES threads_labels)
    velmora_test_program(${name}_threads "${threads_sources}" "${threads_labels}" "" "${ARG_DEPS}")
  endif()
  if(sources)
    velmora_test_program(${name} "${sources}" "${ARG_LABELS}" "${ARG_TSAN_FILTER}" "${ARG_DEPS}")
  endif()
endfunction()

function(velmora_test_program name sources labels tsan_filter deps)
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${deps} GTest::gmock GTest::gtest_main)
  if(tsan_filter)
    gtest_discover_tests(${name} TEST_FILTER "${tsan_filter}" TEST_LIST ${name}_TSAN_TESTS DISCOVERY_TIMEOUT 120)
    gtest_discover_tests(${name} TEST_FILTER "-${tsan_filter}" DISCOVERY_TIMEOUT 120)
    velmora_label_tests(${name}_TSAN_TESTS "${labels};tsan")
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 120)
  endif()
  velmora_label_tests(${name}_TESTS "${labels}")
  set(stages ${labels})
  if(tsan_filter)
    list(APPEND stages tsan)
  endif()
  foreach(stage asan tsan)
    if(stage IN_LIST stages)
      add_dependencies(${stage}_suite ${name})
    endif()
  endforeach()
endfunction()

# Discovered tests get their labels from a ctest include file run after the
# discovery's own: the discovery's PROPERTIES would split a list of labels
# into separate properties.
function(velmora_label_tests list labels)
  set(file "${CMAKE_CURRENT_BINARY_DIR}/${list}_labels.cmake")
  file(WRITE "${file}" "if(${list})\n  set_tests_properties(\${${list}} PROPERTIES LABELS \"${labels}\")\nendif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${file}")
endfunction()
