// SPDX-License-Identifier: GPL-3.0-or-later
// The record texts of the hand-over: a channel ("CChannel", also nested in
// an outer element), a recording ("CSingleFile") and a channel's recordings
// ("PlaybackFilesOfChannel") read from the input as text, then written and
// read back.
// Checked: what a record writes, it reads back the same.
#include <QCoreApplication>
#include <QString>
#include <cstdint>

#include "storage/Channel.h"
#include "storage/ChannelFiles.h"
#include "storage/SingleFile.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    new QCoreApplication(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), int(size));

    APT_QMR::CChannel channel;
    channel.fromXml(text);
    APT_QMR::CChannel again;
    again.fromXml(channel.toXml());
    if (again.GetChannelNumber() != channel.GetChannelNumber() || again.GetRbs() != channel.GetRbs())
        __builtin_trap();

    APT_QMR::CSingleFile file;
    file.fromXml(text);
    APT_QMR::CSingleFile fileAgain;
    fileAgain.fromXml(file.toXml());
    if (fileAgain.toXml() != file.toXml()) __builtin_trap();

    ChannelFiles record;
    record.FromXml(text);
    const QString written = record.ToXml();
    ChannelFiles recordAgain;
    recordAgain.FromXml(written);
    if (recordAgain.SingleFileList.size() != record.SingleFileList.size()) __builtin_trap();
    for (APT_QMR::CSingleFile* f : record.SingleFileList) delete f;
    for (APT_QMR::CSingleFile* f : recordAgain.SingleFileList) delete f;
    return 0;
}
