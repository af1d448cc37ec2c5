// SPDX-License-Identifier: GPL-3.0-or-later
/* A third-party program of the disk library: lists the recordings of
 * channel 1 on drive E for one day and prints how many it found. */
#include <pellomir/Pellomir.h>
#include <stdio.h>

int main(void)
{
    DVR_FILE_TIME start = {2024, 3, 1, 0, 0, 0};
    DVR_FILE_TIME end = {2024, 3, 1, 23, 59, 59};
    unsigned char record[DVR_FILE_FIND_RECORD_SIZE];
    int found = 0;
    int32_t find = DVR_FILE_FindFile('E', 1, 9, 0, &start, &end);
    if (find < 0) {
        char text[DVR_FILE_MAX_MSG_LEN + 1] = {0};
        DVR_FILE_GetErrorMsg(DVR_FILE_GetLastError(), text);
        fprintf(stderr, "%s\n", text);
        return 1;
    }
    while (DVR_FILE_FindNextFile(find, record))
        ++found;
    DVR_FILE_FindClose(find);
    printf("%d\n", found);
    return found > 0 ? 0 : 1;
}
