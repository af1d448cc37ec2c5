// SPDX-License-Identifier: GPL-3.0-or-later
#include "RecordTypeCatalogue.h"

#include <mutex>

#include "storage/SingleFile.h"
#include "merrowfen.h"

#include "RecordTypeCatalogue.inc"

namespace {

QList<RecordTypeEntry*>& Catalog() {
    // The list and its rows live until the process ends (and stay reachable,
    // so leak checkers do not count them).
    static QList<RecordTypeEntry*>* list = new QList<RecordTypeEntry*>;
    return *list;
}

std::once_flag g_buildOnce;

void BuildRows() {
    QList<RecordTypeEntry*>& list = Catalog();
    for (const RecordTypeRow& row : kRecordTypeRows) {
        auto* e = new RecordTypeEntry;
        e->code = row.code;
        e->classNumber = row.classNumber;
        e->reserved1 = row.reserved1;
        e->reserved2 = row.reserved2;
        e->mask = row.mask;
        e->description = QString::fromUtf8(row.description);
        list.append(e);
    }
}

}  // namespace

void buildRecordTypeCatalog() {
    // Two searches may make their first lookup at the same time: fill once.
    std::call_once(g_buildOnce, BuildRows);
}

const QList<RecordTypeEntry*>& RecordTypeCatalog() {
    buildRecordTypeCatalog();
    return Catalog();
}

const RecordTypeRow* RecordTypeRows(int* count) {
    if (count) *count = static_cast<int>(sizeof(kRecordTypeRows) / sizeof(kRecordTypeRows[0]));
    return kRecordTypeRows;
}

int RecordTypeCategoryOfMask(int mask) {
    switch (mask) {
    case 0x1:
    case 0x200001:
        return 0;
    case 0x2:
    case 0x4:
    case 0x8:
    case 0x10:
    case 0x24:
    case 0x200002:
    case 0x200004:
    case 0x200010:
        return 1;
    case 0x20:
    case 0x40:
    case 0x80:
    case 0x100:
    case 0x200040:
    case 0x200080:
    case 0x200100:
        return 2;
    case 0x200:
    case 0x202:
    case 0x400:
        return 3;
    case 0x80000:
    case 0x100000:
    case 0x200000:
    case 0x300000:
        return 4;
    case 0x800:
    case 0x1000:
        return 5;
    case 0x2000:
    case 0x4000:
    case 0x204000:
        return 6;
    default:
        return kNoRecordCategory;
    }
}

bool findRecordTypeMask(int code, int* mask) {
    for (const RecordTypeEntry* e : RecordTypeCatalog()) {
        if (e->code == code) {
            if (mask) *mask = e->mask;
            return true;
        }
    }
    return false;
}

void applyRecordType(int code, APT_QMR::CSingleFile* file) {
    if (!file) return;
    int mask = 0;
    if (!findRecordTypeMask(code, &mask)) {
        file->SetEnforceMode(0);
        file->SetSubType(kNoRecordCategory);
        return;
    }
    file->SetEnforceMode(1);
    file->SetSubFileType(code);
    const int category = RecordTypeCategoryOfMask(mask);
    if (category == kNoRecordCategory) file->SetEnforceMode(0);
    file->SetSubType(category);
}

void applyRecordTypeOfFindData(const FoundDataRecord* record, APT_QMR::CSingleFile* file) {
    if (!record) return;
    applyRecordType(static_cast<int>(record->recordType), file);
}

void applyRecordTypeOfFindFile(HD_FIND_FILE_RECORD record, APT_QMR::CSingleFile* file) {
    applyRecordType(static_cast<int>(record.recordType), file);
}
