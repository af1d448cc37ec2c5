// SPDX-License-Identifier: GPL-3.0-or-later
/* The public header must compile as plain C, included alone: nothing before
 * it, nothing from the viewer with it. */
#include "pellomir/Pellomir.h"

#include <string.h>

/* The viewer's record header never comes with the library's. */
#ifdef KEL_VEH_META_INFO_H
#error "the library's header brought in the viewer's record header"
#endif

/* Every name the header brings starts with DVR_FILE_ or PELLOMIR_: a client
 * keeps the short record names for itself. Each definition below is an
 * error when the header defined the same name. */
typedef struct RUN_INFO {
    double latitude;
} RUN_INFO;
typedef struct VEH_META_INFO {
    RUN_INFO position;
} VEH_META_INFO;

#if !defined(PELLOMIR_VERSION_MAJOR) || !defined(PELLOMIR_VERSION_MINOR)
#error "no version numbers"
#elif PELLOMIR_VERSION_NUMBER != PELLOMIR_VERSION_MAJOR * 10000 + PELLOMIR_VERSION_MINOR * 100
#error "the version number disagrees with its parts"
#endif

typedef int32_t (*GetErrorMsgFn)(uint32_t, char*);
typedef int32_t (*FindNextVehFn)(int32_t, DVR_FILE_VEH_META_INFO*);

/* Calls DVR_FILE_GetErrorMsg through a pointer of the header's type. */
int32_t c_call_error_msg(void* symbol, uint32_t code, char* text)
{
    GetErrorMsgFn fn;
    memcpy(&fn, &symbol, sizeof(fn));
    return fn(code, text);
}

int32_t c_call_find_next_veh(void* symbol, int32_t handle)
{
    FindNextVehFn fn;
    DVR_FILE_VEH_META_INFO record;
    memcpy(&fn, &symbol, sizeof(fn));
    memset(&record, 0, sizeof(record));
    return fn(handle, &record);
}

size_t c_record_size(void)
{
    return sizeof(DVR_FILE_VEH_META_INFO);
}

size_t c_run_info_offset(void)
{
    return offsetof(DVR_FILE_VEH_META_INFO, runInfo);
}
