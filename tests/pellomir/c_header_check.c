/* The public header must compile as plain C. */
#include "pellomir/Pellomir.h"

#include <string.h>

typedef int32_t (*GetErrorMsgFn)(uint32_t, char*);
typedef int32_t (*FindNextVehFn)(int32_t, VEH_META_INFO*);

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
    VEH_META_INFO record;
    memcpy(&fn, &symbol, sizeof(fn));
    memset(&record, 0, sizeof(record));
    return fn(handle, &record);
}

size_t c_record_size(void)
{
    return sizeof(VEH_META_INFO);
}
