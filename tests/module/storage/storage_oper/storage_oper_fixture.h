// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Shared pieces of the storage-layer tests: sample media named by drive
// letters of a test drive table, and sinks for found files and stream data.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "storage/QorAutoStorage.h"
#include "storage/SingleFile.h"
#include "storage/StorageOper.h"
#include "kel_test/test_support.h"
#include "recmedia/media_plan.h"
#include "wincompat/drives.h"

namespace storage_test {

// Letters are handed out once per process: the registry outlives each test.
inline char NextLetter() {
    static std::atomic<char> next{'E'};
    return next++;
}

inline std::string Root(char letter) { return std::string(1, letter) + ":\\"; }

struct Medium {
    char letter = 0;
    std::string root;      // "E:\"
    std::string folder;    // where it lies on this machine
    recmedia::MediumInfo info;
};

// Writes media into the test's program folder and names them in a drive
// table for the lifetime of the object.
class MediaSet {
public:
    ~MediaSet() {
        m_env.reset();
        wincompat::ReloadDriveTable();
    }

    // `adjust` may change the medium's spec before it is written.
    Medium* Add(int family, int channels, int perDay, int seconds, int gap = 0,
                const std::function<void(recmedia::MediaSpec&)>& adjust = {}) {
        Medium m;
        m.letter = NextLetter();
        m.root = Root(m.letter);
        m.folder = (kel_test::ProgramFolder() + "/medium_" + QChar(m.letter)).toStdString();
        recmedia::MediaSpec spec;
        spec.outDir = m.folder;
        spec.family = family;
        spec.channels = channels;
        spec.perDay = perDay;
        spec.seconds = seconds;
        spec.gap = gap;
        spec.fast = true;
        spec.logs = spec.events = spec.pictures = spec.vehicleFiles = false;
        spec.seed = static_cast<uint32_t>(m.letter);
        spec.serial = 0x5E000000u + static_cast<uint32_t>(m.letter);
        if (adjust) adjust(spec);
        std::string error;
        if (!recmedia::WriteMedium(spec, &m.info, &error)) {
            ADD_FAILURE() << "medium not written: " << error;
            return nullptr;
        }
        m_media.push_back(std::make_unique<Medium>(m));
        Install();
        return m_media.back().get();
    }

private:
    void Install() {
        QString table;
        int disk = 1;
        for (const auto& m : m_media) {
            table += QString("disk %1 %2\n").arg(disk).arg(QString::fromStdString(m->folder));
            table += QString("letter %1 %2 removable vfat %3\n")
                         .arg(QChar(m->letter))
                         .arg(disk)
                         .arg(QString::fromStdString(m->folder));
            ++disk;
        }
        const QString path = kel_test::ProgramFolder() + "/drives.txt";
        kel_test::WriteFile(path, table.toUtf8());
        if (!m_env) m_env.reset(new kel_test::ScopedEnv("KEL_DRIVES", path.toStdString()));
        wincompat::ReloadDriveTable();
    }

    std::vector<std::unique_ptr<Medium>> m_media;
    std::unique_ptr<kel_test::ScopedEnv> m_env;
};

inline HD_FILE_TIME HdTime(time_t t) {
    RbsDateTime d;
    TimeToDateTime(d, t, false);
    return HD_FILE_TIME{d.year, d.month, d.day, d.hour, d.minute, d.second};
}

inline time_t ToTime(const HD_FILE_TIME& t) {
    RbsDateTime d{t.year, t.month, t.day, t.hour, t.minute, t.second};
    return DateTimeToTime(&d);
}

// Collects what a search finds; stops the search on the end record.
struct FoundSink {
    StorageOper* oper = nullptr;
    std::mutex mutex;
    std::vector<FoundDataRecord> records;
    int endRecords = 0;

    static void OnFound(int, const FoundDataRecord* record, void* user) {
        auto* self = static_cast<FoundSink*>(user);
        if (record->endOfSearch) {
            {
                std::lock_guard<std::mutex> g(self->mutex);
                ++self->endRecords;
            }
            self->oper->StopSearchFileInfos();
            return;
        }
        std::lock_guard<std::mutex> g(self->mutex);
        self->records.push_back(*record);
    }
};

// Lists the recordings of one whole day (the first day of the medium).
inline std::vector<FoundDataRecord> SearchDay(StorageOper& oper, const std::string& disk, time_t dayStart) {
    FoundSink sink;
    sink.oper = &oper;
    FindDataCondition cond;
    std::memset(&cond, 0, sizeof(cond));
    cond.diskPath = disk.c_str();
    cond.channel = -1;
    cond.start = HdTime(dayStart);
    cond.end = HdTime(dayStart + 86399);
    cond.callback = &FoundSink::OnFound;
    cond.user = &sink;
    EXPECT_TRUE(oper.SearchFileInfos(&cond));
    std::lock_guard<std::mutex> g(sink.mutex);
    return sink.records;
}

inline std::shared_ptr<APT_QMR::CSingleFile> FileOf(const FoundDataRecord& r, const std::string& disk) {
    auto f = std::make_shared<APT_QMR::CSingleFile>(r.fileName, disk, r.fileSize, static_cast<uint32_t>(ToTime(r.start)),
                                                    static_cast<uint32_t>(ToTime(r.end)), static_cast<int>(r.fileType),
                                                    std::string(), static_cast<int>(r.channel));
    f->SearchEndTime = f->EndTime;
    return f;
}

// Collects a stream's callbacks. `gate` (when set) holds the first data
// callback until Release.
struct StreamSink {
    std::mutex mutex;
    std::condition_variable cv;
    std::vector<unsigned char> header;
    std::vector<unsigned char> data;
    int headerCalls = 0;
    int dataCalls = 0;
    bool ended = false;           // the hard-disk library's end marker
    bool gate = false;
    bool inGate = false;
    bool released = false;
    std::atomic<bool> closed{false};   // set once the owner stopped the stream
    std::atomic<int> callsAfterClose{0};
    size_t dataBeforeRelease = 0;

    static void OnData(int, int type, unsigned char* buf, int len, void* user) {
        auto* self = static_cast<StreamSink*>(user);
        if (self->closed) ++self->callsAfterClose;
        std::unique_lock<std::mutex> lock(self->mutex);
        if (type == 1) {
            ++self->headerCalls;
            self->header.assign(buf, buf + len);
        } else if (type == 2 && (!buf || len < 0)) {
            self->ended = true;
        } else if (type == 2) {
            ++self->dataCalls;
            self->data.insert(self->data.end(), buf, buf + len);
            if (self->gate && self->dataCalls == 1) {
                self->inGate = true;
                self->cv.notify_all();
                self->cv.wait_for(lock, std::chrono::seconds(60), [self] { return self->released; });
                self->dataBeforeRelease = self->data.size();
            }
        }
        self->cv.notify_all();
    }

    bool WaitInGate() {
        std::unique_lock<std::mutex> lock(mutex);
        return cv.wait_for(lock, std::chrono::seconds(60), [this] { return inGate; });
    }
    void Release() {
        std::lock_guard<std::mutex> g(mutex);
        released = true;
        cv.notify_all();
    }
    bool WaitEnded() {
        std::unique_lock<std::mutex> lock(mutex);
        return cv.wait_for(lock, std::chrono::seconds(60), [this] { return ended; });
    }
    size_t DataSize() {
        std::lock_guard<std::mutex> g(mutex);
        return data.size();
    }
};

// Polls a type-1 stream's position until its read task has finished.
inline int WaitForReadEnd(StorageOper& oper) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    int pos = oper.GetPos();
    while (pos == 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        pos = oper.GetPos();
    }
    return pos;
}

inline QByteArray FileBytes(const Medium& m, const std::string& relPath) {
    QFile f(QString::fromStdString(m.folder + "/" + relPath));
    if (!f.open(QIODevice::ReadOnly)) return QByteArray();
    return f.readAll();
}

inline std::vector<unsigned char> Bytes(const QByteArray& a, int from, int to) {
    return std::vector<unsigned char>(a.constData() + from, a.constData() + to);
}

}  // namespace storage_test
