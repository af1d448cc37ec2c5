// SPDX-License-Identifier: GPL-3.0-or-later
/*
 * VEH_META_INFO: the vehicle-data record of one moment (GPS, speed, G-sensor
 * samples, vehicle state), and RUN_INFO, its GPS and motion part.
 *
 * The disk file library owns the byte layout (pellomir/PellomirTypes.h): the
 * viewer fills the same record from the private data blocks of a stream that
 * the library fills from the recorder's vehicle-data files. These are the
 * viewer's names for the library's records, the same types. The Qt meta-type
 * declaration lives in VehicleData.h.
 */
#ifndef KEL_VEH_META_INFO_H
#define KEL_VEH_META_INFO_H

#include "pellomir/PellomirTypes.h"

typedef DVR_FILE_RUN_INFO RUN_INFO;
typedef DVR_FILE_VEH_META_INFO VEH_META_INFO;

#endif /* KEL_VEH_META_INFO_H */
