// SPDX-License-Identifier: GPL-3.0-or-later
#include "mapped_libraries.h"

#include <stdlib.h>
#include <string.h>

int print_mapped_libraries(FILE* out)
{
    FILE* maps = fopen("/proc/self/maps", "r");
    if (!maps)
        return -1;
    char line[4096];
    char** seen = NULL;
    int count = 0;
    while (fgets(line, sizeof line, maps)) {
        char* path = strchr(line, '/');
        if (!path)
            continue;
        path[strcspn(path, "\n")] = '\0';
        /* A shared object: "name.so" or "name.so.N...". */
        const char* base = strrchr(path, '/') + 1;
        const char* so = strstr(base, ".so");
        if (!so || (so[3] != '\0' && so[3] != '.'))
            continue;
        int known = 0;
        for (int i = 0; i < count && !known; ++i)
            known = strcmp(seen[i], path) == 0;
        if (known)
            continue;
        char** grown = realloc(seen, (size_t)(count + 1) * sizeof *seen);
        if (!grown)
            break;
        seen = grown;
        seen[count] = strdup(path);
        if (!seen[count])
            break;
        fprintf(out, "%s\n", path);
        ++count;
    }
    fclose(maps);
    for (int i = 0; i < count; ++i)
        free(seen[i]);
    free(seen);
    return count;
}
