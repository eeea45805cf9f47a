# vyx_layer(NAME [DEPS ...]): one static library per subsystem folder, made of every
# .cpp of the folder. Empty folders give an interface library so that the layer
# order can be written once, before the layers are filled.
set(VYX_LAYERS "" CACHE INTERNAL "")

function(vyx_layer name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  set(target vyx_${name})
  if(sources)
    add_library(${target} STATIC ${sources})
    target_include_directories(${target} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/..)
    target_link_libraries(${target} PUBLIC ${ARG_DEPS})
  else()
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${CMAKE_CURRENT_SOURCE_DIR}/..)
    target_link_libraries(${target} INTERFACE ${ARG_DEPS})
  endif()
  set(VYX_LAYERS ${VYX_LAYERS} ${target} CACHE INTERNAL "")
endfunction()

# vyx_tests(NAME LIBS...): one GoogleTest program per test folder tests/NAME, each test run by CTest.
function(vyx_tests name)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${name}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(test_${name} ${sources} ${PROJECT_SOURCE_DIR}/tests/support/VYXTestEnvironment.cpp)
  target_compile_definitions(test_${name} PRIVATE VYX_CORPUS_DIR="${VYX_CORPUS_DIR}")
  target_link_libraries(test_${name} PRIVATE ${ARGN} vyx_testsupport GTest::gtest_main GTest::gmock)
  # End-to-end tests run the real program.
  target_compile_definitions(test_${name} PRIVATE VYX_BINARY_PATH="$<TARGET_FILE:vyx>")
  add_dependencies(test_${name} vyx)
  gtest_discover_tests(test_${name}
    PROPERTIES ENVIRONMENT "TZ=Europe/Paris" TIMEOUT 300
    DISCOVERY_TIMEOUT 60)
endfunction()
