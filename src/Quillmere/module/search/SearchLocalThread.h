// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The local file search: lists recordings exported earlier into a folder of
// this PC ("ch<NN>_....mp4"), reads each file's start and end time through the
// player library and hands them back grouped per channel, with channels that
// carry the Rbs flag so that playback reads the files directly.
//
// The records (ChannelFiles and their CSingleFile entries) belong to the
// caller once taken with getResults: the thread never frees them.
#include <QMutex>
#include <QString>
#include <QThread>
#include <QVector>
#include <ctime>
#include <vector>

#include "storage/DateTimePair.h"
#include "storage/RecordTypes.h"

class SearchLocalThread : public QThread {
    Q_OBJECT
public:
    SearchLocalThread();
    // Waits for a running search to end.
    ~SearchLocalThread() override;

    void setFolderPath(const QString& folder);
    // 0: the playback names (three patterns); 1: the evidence names with a
    // record-type code. Any other value lists nothing. Either way a name may
    // end in "_partial" and in " (1)", " (2)"... before ".mp4", as the
    // program names what it saves.
    void setTypeFromName(int mode);
    // The times and the list are kept for the caller; the search does not
    // read them.
    void setSearchCondition(bool timeSpanFilter, std::vector<time_t> times, QVector<int> values);

    // Starts a search when none runs; otherwise does nothing.
    void startSearch();
    // A search cannot be stopped; it ends when the folder has been scanned.
    void stopSearch();
    void getResults(QVector<ChannelFiles*>& results);

    // Whether a file name is listed in the given mode.
    static bool nameMatches(const QString& name, int mode);

signals:
    void signalSearchFinish();

protected:
    void run() override;

private:
    // One scan of the folder into the results.
    void search();

    // Guards the inputs: the panel may set them while a search still runs;
    // a run works on the copy it takes when it begins.
    QMutex m_inputLock;
    QString m_folder;
    QVector<ChannelFiles*> m_results;
    int m_nameMode = 0;
    bool m_timeSpanFilter = false;
    QVector<CDateTimePair> m_timeSpans;
    std::vector<time_t> m_times;
    QVector<int> m_values;
};
