// SPDX-License-Identifier: GPL-3.0-or-later
/* A program that loads the disk library and calls only DVR_FILE_GetLastError.
   With "--maps" it then lists the shared libraries mapped into it. */
#include <string.h>

#include "pellomir/mapped_libraries.h"
#include "pellomir/Pellomir.h"

int main(int argc, char** argv)
{
    const unsigned error = DVR_FILE_GetLastError();
    if (argc > 1 && strcmp(argv[1], "--maps") == 0)
        printf("libraries %d\n", print_mapped_libraries(stdout));
    return error == 0 ? 0 : 1;
}
