// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The picture search of the alarm page: copies the pictures of one channel
// and time span from the selected recorder disks into the program folder's
// "Other" folder, then signals the end. "Target" and "Other" are emptied
// first, so the folder holds only the pictures of the last run.
#include <QMutex>
#include <QStringList>
#include <QThread>
#include <ctime>
#include <vector>

class CPicSearchThread : public QThread {
    Q_OBJECT
public:
    CPicSearchThread();
    // Waits for a running copy to end.
    ~CPicSearchThread() override;

    // Copies the pictures of `channel` between the first and the second of
    // `times` (whole minutes). While a copy runs the call changes nothing
    // and starts nothing.
    void StartSearch(QStringList disks, std::vector<time_t> times, int channel);
    // Marks the request as stopped; a copy once begun goes to its end.
    void StopSearch();

signals:
    void signalSendWriteOver();

public slots:
    void onStopThread();
    void onChangeThread();

protected:
    void run() override;

private:
    static bool ClearFolder(const QString& path);

    QStringList m_disks;
    std::vector<time_t> m_times;
    bool m_running = false;
    QMutex m_mutex;
    bool m_changeRequested = false;
    bool m_stopRequested = false;
    int m_channel = 1;
};
