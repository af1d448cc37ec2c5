// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Short local recordings of a few channels, their records for the grid, the
// save folders in the settings, and a recorder of every dialog and notice.
#include "storage/ChannelFiles.h"
#include "storage/CommonHelpers.h"
#include "storage/OutputFileWriter.h"
#include "storage/Settings.h"
#include "kel_test/test_support.h"
#include "recmedia/encoder.h"
#include "recmedia/track.h"
#include "ziraz/dialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace media_fixture {

inline uint32_t Civil(int y, int mo, int d, int h, int mi, int s) {
    struct tm t = {};
    t.tm_year = y - 1900;
    t.tm_mon = mo - 1;
    t.tm_mday = d;
    t.tm_hour = h;
    t.tm_min = mi;
    t.tm_sec = s;
    return static_cast<uint32_t>(timegm(&t));
}

// Every channel: one recording [T, T + kSeconds).
const uint32_t T = Civil(2024, 3, 1, 8, 0, 0);
const uint32_t kSeconds = 30;

// Folder of the recordings (one per channel 1..channels), written once per
// test program.
inline std::string RecordingFolder(int channels) {
    static std::string folder;
    if (!folder.empty()) return folder;
    static QTemporaryDir dir;
    folder = dir.path().toStdString();
    QDir().mkpath(QString::fromStdString(folder));
    for (int ch = 1; ch <= channels; ++ch) {
        recmedia::RecordingSpec spec;
        spec.channel = ch;
        spec.start = T;
        spec.seconds = kSeconds;
        spec.width = 160;
        spec.height = 120;
        spec.fps = 10;
        spec.seed = static_cast<uint32_t>(ch);
        spec.fastRepeat = true;
        if (ch == 1) spec.track = recmedia::MakeTrack(1, spec.start, spec.seconds);
        spec.path = folder + "/" + TimeToString(T) + "_" + TimeToString(T + kSeconds) + "_" + std::to_string(ch) + ".mp4";
        std::string error;
        if (!recmedia::EncodeRecording(spec, &error)) ADD_FAILURE() << error;
    }
    return folder;
}

inline std::string RecordingPath(int channel) {
    return RecordingFolder(0) + "/" + TimeToString(T) + "_" + TimeToString(T + kSeconds) + "_" +
           std::to_string(channel) + ".mp4";
}

// A record of one channel as the search panel hands it out (the caller owns
// it and its file record).
inline ChannelFiles* Record(int channel) {
    auto* r = new ChannelFiles;
    r->DiskName = QString::fromStdString(RecordingFolder(0));
    r->DeviceName = "DVR";
    r->ChannelInfo.SetChannelNumber(channel);
    r->ChannelInfo.SetDevice("DVR");
    r->ChannelInfo.SetRbs(true);
    r->StartTime = QDateTime::fromSecsSinceEpoch(T).date();
    r->EndTime = r->StartTime;
    r->SingleFileList.push_back(new APT_QMR::CSingleFile(RecordingPath(channel), RecordingFolder(0), 1000, T,
                                                         T + kSeconds, 1, "DVR", channel));
    return r;
}

inline void FreeRecords(QVector<ChannelFiles*>& records) {
    for (ChannelFiles* r : records) {
        for (auto* f : r->SingleFileList) delete f;
        delete r;
    }
    records.clear();
}

// The recording of a channel as the downloader saves it with the .mp4
// setting, under `name` in the recordings' folder.
inline std::string SaveAsMp4(int channel, const char* name) {
    CSettingsStore::GetInstance()->SetValueText(SettingKey::DownloadVideoType, "1");
    const std::string path = RecordingFolder(0) + "/" + name;
    const QByteArray rec = kel_test::ReadFile(QString::fromStdString(RecordingPath(channel)));
    CStreamFileWriter w;
    bool ok = w.Open(path, false);
    for (int at = 0; ok && at < rec.size(); at += at == 0 ? 40 : 8192) {
        const int n = at == 0 ? 40 : std::min(8192, rec.size() - at);
        ok = w.Write(reinterpret_cast<const uint8_t*>(rec.constData()) + at, static_cast<uint32_t>(n)) ==
             static_cast<uint32_t>(n);
    }
    ok = w.Close() && ok;
    CSettingsStore::GetInstance()->SetValueText(SettingKey::DownloadVideoType, "0");
    return ok ? path : std::string();
}

inline void SetSaveFolders() {
    auto* s = CSettingsStore::GetInstance();
    const QString home = kel_test::ProgramFolder();
    s->SetValueText(SettingKey::ClipSavePath, home + "/clips/");
    s->SetValueText(SettingKey::CaptureSavePath, home + "/capture/");
    s->SetValueText(SettingKey::EvidencePictureSavePath, home + "/evidence-pictures/");
    s->SetValueText(SettingKey::EvidenceVideoSavePath, home + "/evidence-video/");
    s->SetValueText(SettingKey::DownloadSavePath, home + "/download/");
    for (const char* sub : {"/clips", "/capture", "/evidence-pictures", "/evidence-video", "/download"})
        QDir().mkpath(home + sub);
    s->SetValueText(SettingKey::DownloadVideoType, "0");
    s->SetValueText(SettingKey::CaptureSaveType, "0");
}

// Records every dialog and notice; modal runs and warnings answer 0.
class DialogRecorder {
public:
    DialogRecorder()
        : m_scope([this](const ziraz::DialogCall& call) -> std::optional<int> {
              calls.push_back(call);
              if (onModal && call.kind == ziraz::DialogKind::Modal) return onModal(call);
              return 0;
          }) {}
    bool saw(ziraz::DialogKind kind, const QString& text) const {
        for (const auto& c : calls)
            if (c.kind == kind && c.text == text) return true;
        return false;
    }
    const ziraz::DialogCall* find(ziraz::DialogKind kind) const {
        for (const auto& c : calls)
            if (c.kind == kind) return &c;
        return nullptr;
    }
    std::vector<ziraz::DialogCall> calls;
    std::function<int(const ziraz::DialogCall&)> onModal;

private:
    ziraz::ScopedDialogPresenter m_scope;
};

}  // namespace media_fixture
