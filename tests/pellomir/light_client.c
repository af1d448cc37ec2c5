// SPDX-License-Identifier: GPL-3.0-or-later
/* A C program using the disk library the way a third-party program would:
   light_client <path of libPellomir.so> [play <file>]
   Without "play" it calls only DVR_FILE_GetLastError. With it, it tries to
   play <file> and then calls a few calls that do not play. Prints what each
   call answered, then the mapped shared libraries. */
#include <dlfcn.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include "mapped_libraries.h"

typedef uint32_t (*last_error_fn)(void);
typedef int32_t (*error_msg_fn)(uint32_t, char*);
typedef int32_t (*play_fn)(const char*, void*, const char*, uint32_t);
typedef int32_t (*no_arg_fn)(void);
typedef int32_t (*find_next_veh_fn)(int32_t, void*);

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    void* lib = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!lib) {
        printf("load failed: %s\n", dlerror());
        return 1;
    }
    last_error_fn last_error = (last_error_fn)dlsym(lib, "DVR_FILE_GetLastError");
    if (!last_error)
        return 1;
    printf("last error %u\n", last_error());
    if (argc >= 4 && strcmp(argv[2], "play") == 0) {
        play_fn play = (play_fn)dlsym(lib, "DVR_FILE_Play");
        error_msg_fn error_msg = (error_msg_fn)dlsym(lib, "DVR_FILE_GetErrorMsg");
        find_next_veh_fn find_next_veh = (find_next_veh_fn)dlsym(lib, "DVR_FILE_FindNextVeh");
        no_arg_fn close_sound = (no_arg_fn)dlsym(lib, "DVR_FILE_CloseSound");
        if (!play || !error_msg || !find_next_veh || !close_sound)
            return 1;
        char text[64] = {0};
        const int32_t stream = play(argv[3], NULL, NULL, 0);
        const uint32_t play_error = last_error();
        error_msg(play_error, text);
        printf("play %d error %u \"%s\"\n", stream, play_error, text);
        char record[4096] = {0};
        const int32_t found = find_next_veh(128, record);
        printf("find next vehicle %d error %u\n", found, last_error());
        printf("close sound %d\n", close_sound());
    }
    printf("libraries %d\n", print_mapped_libraries(stdout));
    return 0;
}
