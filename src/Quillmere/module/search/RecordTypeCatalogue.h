// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The record-type catalogue: the traffic-violation codes that recorders put on
// evidence recordings, each with a mask that places it in one of seven
// evidence categories.
//
// Codes 0 to 9 are plain record types that the searches handle themselves;
// the catalogue is asked only for larger codes.
#include <QList>
#include <QString>

namespace APT_QMR {
class CSingleFile;
}
struct FoundDataRecord;
struct HD_FIND_FILE_RECORD;

// One row as the generated table (RecordTypeCatalogue.inc, from
// tables/record_types.tsv by tools/tablegen/tablegen.py) holds it.
struct RecordTypeRow {
    int code;
    int classNumber;
    int reserved1;
    int reserved2;
    int mask;
    int listedCategory;  // the category column of the table; the lookup derives it from the mask
    const char* description;  // UTF-8
};

// One row of the process-wide catalogue.
struct RecordTypeEntry {
    int code = 0;
    int classNumber = 0;  // kept with the row, read by nobody
    int reserved1 = 0;
    int reserved2 = 0;
    int mask = 0;
    QString description;  // read by nobody
};

// Category that no row and no mask maps to.
constexpr int kNoRecordCategory = 9;

// The catalogue, built on first use (exactly once, whichever thread asks
// first) and unchanged afterwards: ascending codes, none twice.
const QList<RecordTypeEntry*>& RecordTypeCatalog();
// Builds the catalogue if it is still empty. Safe to call from any thread.
void buildRecordTypeCatalog();

// The generated rows (for checks and tools).
const RecordTypeRow* RecordTypeRows(int* count);

// Evidence category (0 to 6) of a mask, or kNoRecordCategory.
int RecordTypeCategoryOfMask(int mask);

// On a hit stores the code's mask in *mask and returns true; otherwise
// returns false and leaves *mask alone.
bool findRecordTypeMask(int code, int* mask);

// Sets EnforceMode, SubFileType and SubType of `file` from the code:
// a known code gives EnforceMode 1, SubFileType = code and SubType = its
// category; an unknown code gives EnforceMode 0 and SubType 9 and leaves
// SubFileType alone.
void applyRecordType(int code, APT_QMR::CSingleFile* file);
// The same with the record-type code of a found-file record.
void applyRecordTypeOfFindData(const FoundDataRecord* record, APT_QMR::CSingleFile* file);
// The same with the record-type code of a find-next-file record.
void applyRecordTypeOfFindFile(HD_FIND_FILE_RECORD record, APT_QMR::CSingleFile* file);
