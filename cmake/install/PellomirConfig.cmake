# SPDX-License-Identifier: GPL-3.0-or-later
# find_package(Pellomir): the imported target Pellomir::Pellomir.
get_filename_component(_pellomir_prefix "${CMAKE_CURRENT_LIST_DIR}/../../.." ABSOLUTE)
if(NOT TARGET Pellomir::Pellomir)
  add_library(Pellomir::Pellomir SHARED IMPORTED)
  set_target_properties(Pellomir::Pellomir PROPERTIES
    IMPORTED_LOCATION "${_pellomir_prefix}/lib/libPellomir.so"
    INTERFACE_INCLUDE_DIRECTORIES "${_pellomir_prefix}/include")
endif()
set(Pellomir_INCLUDE_DIRS "${_pellomir_prefix}/include")
set(Pellomir_LIBRARIES Pellomir::Pellomir)
unset(_pellomir_prefix)
