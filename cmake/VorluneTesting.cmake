# vorlune_add_test(NAME LABEL unit|widget|e2e SOURCES ... LIBS ... [ENV ...] [TIMEOUT s])
# One GoogleTest executable registered as one CTest test with its level's label.
# Widget tests run on Qt's offscreen platform with SDL's dummy audio driver unless ENV says otherwise.
function(vorlune_add_test name)
  cmake_parse_arguments(T "" "LABEL;TIMEOUT" "SOURCES;LIBS;ENV" ${ARGN})
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

# Adds each listed subdirectory that exists, so areas can grow their own folders.
macro(vorlune_add_existing_subdirectories)
  foreach(dir ${ARGN})
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
      add_subdirectory(${dir})
    endif()
  endforeach()
endmacro()
