# SPDX-License-Identifier: GPL-3.0-or-later
# One way to declare a module. Every library, program, test and benchmark of
# the tree is declared through these functions: its sources named one by one,
# the targets it needs named beside it, and the folder its clients name its
# headers from. A needed target that the build does not define stops the
# configuration (the top CMakeLists sets CMAKE_LINK_LIBRARIES_ONLY_TARGETS),
# so nothing is left out quietly.
#
# Relative paths (sources, include folders) are taken from the folder of the
# CMakeLists.txt that calls the function.

# Stops on arguments a helper does not know (a misspelt keyword would
# otherwise be read as a source or a dependency).
function(_kel_no_unknown_arguments fn name)
  if(ARGN)
    message(FATAL_ERROR "${fn}(${name}): unknown arguments: ${ARGN}")
  endif()
endfunction()

# kel_add_library(<name> [STATIC|SHARED|MODULE|OBJECT|INTERFACE]
#                 [SOURCES <file>...]
#                 [DEPENDS <target>...]          part of its interface: its clients get them too
#                 [PRIVATE_DEPENDS <target>...]  used by its own code only
#                 [PUBLIC_INCLUDE <dir>...]      the root its clients name its headers from
#                 [PRIVATE_INCLUDE <dir>...]
#                 [DEFINES <name[=value]>...]    private compile definitions
#                 [QT])                          moc and rcc on its sources
# The type defaults to STATIC; a MODULE is a plug-in loaded at run time. An INTERFACE library takes no sources; its
# DEPENDS and PUBLIC_INCLUDE are its interface. A library without SOURCES
# takes its code from an OBJECT library it depends on.
function(kel_add_library name)
  cmake_parse_arguments(L "STATIC;SHARED;MODULE;OBJECT;INTERFACE;QT" ""
    "SOURCES;DEPENDS;PRIVATE_DEPENDS;PUBLIC_INCLUDE;PRIVATE_INCLUDE;DEFINES" ${ARGN})
  _kel_no_unknown_arguments(kel_add_library ${name} ${L_UNPARSED_ARGUMENTS})
  set(type STATIC)
  foreach(t SHARED MODULE OBJECT INTERFACE)
    if(L_${t})
      set(type ${t})
    endif()
  endforeach()
  if(type STREQUAL "INTERFACE")
    if(L_SOURCES OR L_PRIVATE_DEPENDS OR L_PRIVATE_INCLUDE OR L_DEFINES)
      message(FATAL_ERROR "kel_add_library(${name} INTERFACE): only DEPENDS and PUBLIC_INCLUDE apply")
    endif()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${L_PUBLIC_INCLUDE})
    target_link_libraries(${name} INTERFACE ${L_DEPENDS})
  else()
    add_library(${name} ${type} ${L_SOURCES})
    target_include_directories(${name} PUBLIC ${L_PUBLIC_INCLUDE} PRIVATE ${L_PRIVATE_INCLUDE})
    target_link_libraries(${name} PUBLIC ${L_DEPENDS} PRIVATE ${L_PRIVATE_DEPENDS})
    target_compile_definitions(${name} PRIVATE ${L_DEFINES})
    if(L_QT)
      set_target_properties(${name} PROPERTIES AUTOMOC ON AUTORCC ON)
    endif()
  endif()
endfunction()

# kel_add_program(<name> SOURCES <file>... [DEPENDS <target>...]
#                 [PRIVATE_INCLUDE <dir>...] [DEFINES <name[=value]>...]
#                 [OUTPUT_DIRECTORY <dir>] [QT])
# An executable; it lands in bin/ of the build unless OUTPUT_DIRECTORY says
# otherwise.
function(kel_add_program name)
  cmake_parse_arguments(P "QT" "OUTPUT_DIRECTORY" "SOURCES;DEPENDS;PRIVATE_INCLUDE;DEFINES" ${ARGN})
  _kel_no_unknown_arguments(kel_add_program ${name} ${P_UNPARSED_ARGUMENTS})
  if(NOT P_SOURCES)
    message(FATAL_ERROR "kel_add_program(${name}): no SOURCES")
  endif()
  add_executable(${name} ${P_SOURCES})
  target_link_libraries(${name} PRIVATE ${P_DEPENDS})
  target_include_directories(${name} PRIVATE ${P_PRIVATE_INCLUDE})
  target_compile_definitions(${name} PRIVATE ${P_DEFINES})
  if(P_OUTPUT_DIRECTORY)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${P_OUTPUT_DIRECTORY})
  endif()
  if(P_QT)
    set_target_properties(${name} PROPERTIES AUTOMOC ON AUTORCC ON)
  endif()
endfunction()

# kel_add_test(<name> SOURCES ... [DEPENDS ...] [PRIVATE_INCLUDE ...] [GUI]
#              [NO_MAIN] [ENV k=v ...] [TIMEOUT s] [SHARDS n] [COST c])
# One test executable = one ctest entry. GUI tests get a QApplication on the
# offscreen platform; the others a QCoreApplication. Every test gets its own
# temporary program folder from the shared test main. Tests name the shared
# fixtures of the test tree from tests/ ("platform/fallowin/mp4_probe.h").
# NO_MAIN: the test brings its own main (and links kel_test_support itself).
# PRIVATE_INCLUDE: internals of a library that the test opens.
# SHARDS n: the executable is registered as n ctest entries <name>.0 ..
# <name>.<n-1>; each runs every n-th of its tests (GoogleTest sharding), so
# the slow tests of one program run side by side.
# COST c: a rough run time in seconds, so that ctest starts long entries
# first when it has no timings of its own yet.
function(kel_add_test name)
  cmake_parse_arguments(T "GUI;NO_MAIN" "TIMEOUT;SHARDS;COST" "SOURCES;DEPENDS;PRIVATE_INCLUDE;ENV" ${ARGN})
  _kel_no_unknown_arguments(kel_add_test ${name} ${T_UNPARSED_ARGUMENTS})
  if(T_NO_MAIN)
    set(main kel_test_support)
  elseif(T_GUI)
    set(main kel_test_main_gui)
  else()
    set(main kel_test_main)
  endif()
  kel_add_program(${name} SOURCES ${T_SOURCES} DEPENDS ${main} ${T_DEPENDS}
    PRIVATE_INCLUDE ${T_PRIVATE_INCLUDE} OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set(slowdown 1)
  if(KEL_SANITIZE)
    # Sanitized code runs several times slower: ctest's limit grows, and so
    # do the limits of the tests' own waits (kel_test::WaitUntil).
    set(slowdown 6)
    math(EXPR T_TIMEOUT "${T_TIMEOUT} * ${slowdown}")
  endif()
  set(env "QT_QPA_PLATFORM=offscreen;KEL_SOURCE_DIR=${CMAKE_SOURCE_DIR};KEL_BINARY_DIR=${CMAKE_BINARY_DIR};KEL_TEST_SLOWDOWN=${slowdown};${T_ENV}")
  if(NOT T_SHARDS OR T_SHARDS LESS 2)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT} ENVIRONMENT "${env}")
    if(T_COST)
      set_tests_properties(${name} PROPERTIES COST ${T_COST})
    endif()
  else()
    math(EXPR last "${T_SHARDS} - 1")
    foreach(i RANGE ${last})
      add_test(NAME ${name}.${i} COMMAND ${name})
      set_tests_properties(${name}.${i} PROPERTIES TIMEOUT ${T_TIMEOUT}
        ENVIRONMENT "${env};GTEST_TOTAL_SHARDS=${T_SHARDS};GTEST_SHARD_INDEX=${i}")
      if(T_COST)
        set_tests_properties(${name}.${i} PROPERTIES COST ${T_COST})
      endif()
    endforeach()
  endif()
endfunction()

# kel_add_bench(<name> SOURCES ... [DEPENDS ...] [PRIVATE_INCLUDE ...] [PLAIN])
# A benchmark program in bench/ of the build. It links Google Benchmark's
# runner and the shared figures (kel_bench) unless PLAIN: a program with a
# main of its own, that names what it links in DEPENDS.
function(kel_add_bench name)
  cmake_parse_arguments(B "PLAIN" "" "SOURCES;DEPENDS;PRIVATE_INCLUDE" ${ARGN})
  _kel_no_unknown_arguments(kel_add_bench ${name} ${B_UNPARSED_ARGUMENTS})
  set(runner)
  if(NOT B_PLAIN)
    set(runner benchmark::benchmark kel_bench)
  endif()
  kel_add_program(${name} SOURCES ${B_SOURCES} DEPENDS ${runner} ${B_DEPENDS}
    PRIVATE_INCLUDE ${B_PRIVATE_INCLUDE} OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endfunction()
