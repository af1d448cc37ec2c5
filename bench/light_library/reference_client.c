// SPDX-License-Identifier: GPL-3.0-or-later
/* The same program linked to the player library directly, as the disk
   library used to be: it pays for the player and everything behind it. */
#include <stdint.h>
#include <string.h>

#include "pellomir/mapped_libraries.h"

uint32_t Ostrum_GetLastError(int port);

int main(int argc, char** argv)
{
    (void)Ostrum_GetLastError(0);
    if (argc > 1 && strcmp(argv[1], "--maps") == 0)
        printf("libraries %d\n", print_mapped_libraries(stdout));
    return 0;
}
