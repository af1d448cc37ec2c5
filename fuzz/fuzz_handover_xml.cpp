// SPDX-License-Identifier: GPL-3.0-or-later
// The hand-over files of the batch downloader: "SearchedFile.xml" and
// "DiskFile.xml" (the two pieces of the input), read as the downloader reads
// them.
#include <QCoreApplication>
#include <cstdint>
#include <memory>
#include <vector>

#include "storage/HandOverFiles.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // The program folder and the text codecs come from the application.
    new QCoreApplication(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::vector<uint8_t>> pieces = kelfuzz::SplitPieces(data, size, 2);
    const std::string searched = kelfuzz::ScratchDir() + "/SearchedFile.xml";
    const std::string disks = kelfuzz::ScratchDir() + "/DiskFile.xml";
    kelfuzz::WriteFile(searched, pieces[0]);
    kelfuzz::WriteFile(disks, pieces[1]);

    std::vector<std::string> names;
    QString error;
    ReadHandOverDisks(QString::fromStdString(disks), &names, &error);
    std::vector<std::unique_ptr<ChannelFiles>> records;
    int unknown = 0;
    ReadHandOverChannels(QString::fromStdString(searched), &records, &unknown, &error);
    for (auto& r : records)
        for (APT_QMR::CSingleFile* f : r->SingleFileList) delete f;
    return 0;
}
