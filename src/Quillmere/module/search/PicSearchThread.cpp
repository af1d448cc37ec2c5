// SPDX-License-Identifier: GPL-3.0-or-later
#include "PicSearchThread.h"

#include <QMutexLocker>
#include <string>

#include "PictureFolders.h"
#include "pellomir/Pellomir.h"
#include "zun.h"
#include "ziraz/ziraz.h"
#include "storage/KelLogging.h"

CPicSearchThread::CPicSearchThread() : QThread(nullptr) {}

CPicSearchThread::~CPicSearchThread() { wait(); }

void CPicSearchThread::StartSearch(QStringList disks, std::vector<time_t> times, int channel) {
    if (isRunning()) {
        // The running copy reads its inputs without a lock.
        qCDebug(lcKelSearch, "CPicSearchThread::StartSearch a copy is running, request ignored");
        return;
    }
    m_disks = disks;
    m_times = times;
    m_channel = channel;
    {
        QMutexLocker lock(&m_mutex);
        m_running = true;
        m_changeRequested = false;
        m_stopRequested = false;
    }
    start(QThread::InheritPriority);
}

void CPicSearchThread::StopSearch() {
    QMutexLocker lock(&m_mutex);
    m_running = false;
    m_stopRequested = true;
}

void CPicSearchThread::onStopThread() {
    QMutexLocker lock(&m_mutex);
    m_running = false;
}

void CPicSearchThread::onChangeThread() {
    QMutexLocker lock(&m_mutex);
    m_changeRequested = true;
}

void CPicSearchThread::run() {
    if (m_times.size() == 2) {
        const DVR_FILE_TIME start = picfolders::RecorderFileTime(m_times.front(), 0);
        const DVR_FILE_TIME end = picfolders::RecorderFileTime(m_times.back(), 59);
        const QString target = picfolders::TargetFolder();
        const QString other = picfolders::OtherFolder();
        ClearFolder(target);
        ClearFolder(other);
        ZUN_MakeDir(ziraz::ConvertFromUnicode(target).c_str());
        ZUN_MakeDir(ziraz::ConvertFromUnicode(other).c_str());

        const std::string drives = picfolders::DriveString(m_disks);
        if (!drives.empty()) {
            const std::string folder = ziraz::ConvertFromUnicode(other);
            DVR_FILE_CopyPicFileByTime(drives.c_str(), &start, &end, m_channel, 3, folder.c_str());
        }
    } else {
        qCDebug(lcKelSearch, "CPicSearchThread::run time span needs two values, got %d", static_cast<int>(m_times.size()));
    }
    emit signalSendWriteOver();
}

bool CPicSearchThread::ClearFolder(const QString& path) { return picfolders::RemoveFolder(path); }
