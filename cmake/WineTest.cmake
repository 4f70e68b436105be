# add_wine_test(NAME SOURCES src... [LIBS lib...] [GUI])
# One test program per call; CTest runs it once, through Wine (one process per
# program, since every Wine start costs seconds).
function(add_wine_test name)
  cmake_parse_arguments(T "GUI;NO_GTEST" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  if(NOT T_NO_GTEST)
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  target_link_libraries(${name} PRIVATE ${T_LIBS})
  add_test(NAME ${name} COMMAND ${name})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
  if(T_GUI)
    set_tests_properties(${name} PROPERTIES LABELS gui RUN_SERIAL ON)
  endif()
endfunction()

# Adds every direct subfolder that has a CMakeLists.txt, in name order, so
# several pieces of work can add their own test folders side by side.
function(add_all_subdirectories)
  file(GLOB children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR}
       CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child ${children})
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child} AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()

