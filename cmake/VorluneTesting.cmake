# vorlune_add_test(NAME LABEL unit|widget|e2e SOURCES ... LIBS ... [ENV ...] [TIMEOUT s])
# One GoogleTest executable registered as one CTest test with its level's label.
# Widget tests run on Qt's offscreen platform.
function(vorlune_add_test name)
  cmake_parse_arguments(T "" "LABEL;TIMEOUT" "SOURCES;LIBS;ENV" ${ARGN})
  # scripts/test runs each level by its label; a test without one of them would never run.
  if(NOT T_LABEL MATCHES "^(unit|widget|e2e)$")
    message(FATAL_ERROR "test ${name}: LABEL must be unit, widget or e2e, not '${T_LABEL}'")
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name})
  set(env ${T_ENV})
  if(T_LABEL STREQUAL "widget")
    list(APPEND env QT_QPA_PLATFORM=offscreen)
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES LABELS ${T_LABEL} TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "${env}")
endfunction()

# Adds each listed subdirectory. A name without its folder stops the configuration: a folder that
# was moved or removed must not take its targets and tests out of the build unnoticed.
macro(vorlune_add_subdirectories)
  foreach(dir ${ARGN})
    if(NOT EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
      message(FATAL_ERROR "${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt does not exist")
    endif()
    add_subdirectory(${dir})
  endforeach()
endmacro()
