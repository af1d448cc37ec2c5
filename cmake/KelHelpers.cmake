# Adds every listed folder that holds a CMakeLists.txt. Folders that do not
# exist yet are skipped, so libraries can be added one at a time.
function(kel_add_subdirs)
  foreach(dir ${ARGN})
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
      add_subdirectory(${dir})
    endif()
  endforeach()
endfunction()

# Adds every direct child folder of the current folder that holds a
# CMakeLists.txt, in name order.
function(kel_add_all_subdirs)
  file(GLOB children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child ${children})
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child} AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()

# kel_add_test(<name> SOURCES ... LIBS ... [GUI] [ENV k=v ...] [TIMEOUT s]
#              [SHARDS n] [COST c])
# One test executable = one ctest entry. GUI tests get a QApplication on the
# offscreen platform; the others a QCoreApplication. Every test gets its own
# temporary program folder from the shared test main.
# SHARDS n: the executable is registered as n ctest entries <name>.0 ..
# <name>.<n-1>; each runs every n-th of its tests (GoogleTest sharding), so
# the slow tests of one program run side by side.
# COST c: a rough run time in seconds, so that ctest starts long entries
# first when it has no timings of its own yet.
function(kel_add_test name)
  cmake_parse_arguments(T "GUI" "TIMEOUT;SHARDS;COST" "SOURCES;LIBS;ENV" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  if(T_GUI)
    target_link_libraries(${name} PRIVATE kel_test_main_gui ${T_LIBS})
  else()
    target_link_libraries(${name} PRIVATE kel_test_main ${T_LIBS})
  endif()
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  if(KEL_SANITIZE)
    # Sanitized code runs several times slower.
    math(EXPR T_TIMEOUT "${T_TIMEOUT} * 6")
  endif()
  set(env "QT_QPA_PLATFORM=offscreen;KEL_SOURCE_DIR=${CMAKE_SOURCE_DIR};KEL_BINARY_DIR=${CMAKE_BINARY_DIR};${T_ENV}")
  if(NOT T_SHARDS OR T_SHARDS LESS 2)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT} ENVIRONMENT "${env}")
    if(T_COST)
      set_tests_properties(${name} PROPERTIES COST ${T_COST})
    endif()
    return()
  endif()
  math(EXPR last "${T_SHARDS} - 1")
  foreach(i RANGE ${last})
    add_test(NAME ${name}.${i} COMMAND ${name})
    set_tests_properties(${name}.${i} PROPERTIES TIMEOUT ${T_TIMEOUT}
      ENVIRONMENT "${env};GTEST_TOTAL_SHARDS=${T_SHARDS};GTEST_SHARD_INDEX=${i}")
    if(T_COST)
      set_tests_properties(${name}.${i} PROPERTIES COST ${T_COST})
    endif()
  endforeach()
endfunction()

# kel_add_bench(<name> SOURCES ... LIBS ...)
function(kel_add_bench name)
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${B_SOURCES})
  target_link_libraries(${name} PRIVATE benchmark::benchmark kel_bench ${B_LIBS})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endfunction()
