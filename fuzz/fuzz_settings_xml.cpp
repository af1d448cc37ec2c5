// SPDX-License-Identifier: GPL-3.0-or-later
// "Settings.xml": the settings store reading a file that is the fuzz input,
// then writing it back.
#include <QCoreApplication>
#include <QString>
#include <cstdint>

#include "storage/Settings.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // The program folder and the text codecs come from the application.
    new QCoreApplication(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = kelfuzz::ScratchDir() + "/Settings.xml";
    kelfuzz::WriteFile(path, data, size);
    CSettingsStore store;
    store.Load(QString::fromStdString(path));
    for (int k = 0; k < kSettingKeyCount; ++k) store.GetValueText(k);
    store.Save(QString::fromStdString(kelfuzz::ScratchDir() + "/Settings-saved.xml"));
    return 0;
}
