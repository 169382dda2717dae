# velmora_library(NAME DIR [DEPS ...]): a static library of every .cpp under
# DIR (an interface library while DIR has none), with src/ on the include path.
function(velmora_library name dir)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS "${dir}/*.cpp")
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ARGN})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${ARGN})
  endif()
endfunction()

# velmora_test(NAME DIR LABEL [DEPS ...]): one GoogleTest program of every
# *Test.cpp under DIR, registered with ctest under LABEL.
function(velmora_test name dir label)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS "${dir}/*Test.cpp")
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARGN} GTest::gmock GTest::gtest_main)
  gtest_discover_tests(${name} PROPERTIES LABELS ${label} DISCOVERY_TIMEOUT 120)
endfunction()
