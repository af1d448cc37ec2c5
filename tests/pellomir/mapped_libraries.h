// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PELLOMIR_TESTS_MAPPED_LIBRARIES_H
#define PELLOMIR_TESTS_MAPPED_LIBRARIES_H
/* The shared libraries mapped into this process, from /proc/self/maps. */
#include <stdio.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Prints each mapped shared library's path once, one a line, to `out`;
   returns how many, or -1 when the map cannot be read. */
int print_mapped_libraries(FILE* out);

#ifdef __cplusplus
}
#endif

#endif
