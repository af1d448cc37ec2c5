// SPDX-License-Identifier: GPL-3.0-or-later
#include "PlaybackGridModel.h"

#include <QBrush>
#include <QColor>
#include <QDebug>
#include <QMutexLocker>

#include <algorithm>

#include "storage/RecorderTime.h"
#include "PlaybackModes.h"
#include "storage/KelLogging.h"

using APT_QMR::CPlayBackInteraction;
using APT_QMR::CSingleFile;

namespace {

// Colours of the evidence categories: enforce mode 1, then enforce mode 0.
const QStringList& CategoryColoursA() {
    static const QStringList list{"#FF4500", "#6A5ACD", "#D2691E", "#FFF0F5", "#808000", "#FF69B4", "#7FFFD4"};
    return list;
}
const QStringList& CategoryColoursB() {
    static const QStringList list{"#00FF00", "#FA8072", "#A0522D", "#FFFF00", "#98FB98",
                                  "#483D8B", "#9932CC", "#DC143C", "#1E90FF", "#F0FFFF"};
    return list;
}

const QColor kBlue(103, 121, 254);
const QColor kOrange(197, 113, 43);
const QColor kGreen(141, 239, 41);

}  // namespace

PlaybackGridModel::PlaybackGridModel() : QObject(nullptr) {
    m_created = time(nullptr);
    m_reset = m_created;
    m_sync = new APT_QMR::SynPlaybackInteraction();
}

PlaybackGridModel::~PlaybackGridModel() {
    m_sync->StopAndClear();
    {
        QMutexLocker lock(&m_mutex);
        qDeleteAll(m_interactions);
        m_interactions.clear();
    }
    delete m_sync;
}

SinglePlaybackWindow* PlaybackGridModel::cell(int index) const {
    if (index < 0 || index >= m_cells.size()) return nullptr;
    return m_cells[index];
}

void PlaybackGridModel::select(int index) {
    if (index < 0 || index >= m_cells.size()) return;
    const int previous = (m_selected >= 0 && m_selected < m_cells.size()) ? m_selected : -1;
    if (index == previous) return;
    m_selected = index;
    emit signalSelectionChanged(previous, index);
}

int PlaybackGridModel::bind(QVector<ChannelFiles*> records, int firstIndex) {
    int index = firstIndex;
    for (int r = 0; r < records.size(); ++r, ++index) {
        ChannelFiles* record = records[r];
        if (index > 15 || index < 0) {
            // The remaining records are not bound; they were handed over, so
            // free them with their file records.
            for (int k = r; k < records.size(); ++k) {
                if (!records[k]) continue;
                for (CSingleFile* f : records[k]->SingleFileList) delete f;
                delete records[k];
            }
            return -1;
        }
        if (!record) continue;
        std::vector<CSingleFile*> fileList = record->SingleFileList;
        const APT_QMR::CChannel channel = record->ChannelInfo;
        const QDate startDate = record->StartTime;

        if (m_interactions.contains(index)) {
            emit signalBinding(index);
            release(index);
        }
        m_files[index] = fileList;
        auto& owned = m_ownedFiles[index];
        owned.clear();
        for (CSingleFile* f : fileList) {
            if (f) owned.emplace_back(f);
        }

        auto* interaction = new CPlayBackInteraction();
        interaction->SetDownLoadFileType(m_pageMode);
        m_interactions[index] = interaction;

        interaction->SetChannel(channel);
        emit signalBound(index, interaction, channel, record->DeviceName);
        qCDebug(lcKelUi) << "PCNVRSet" << channel.GetChannelNumber();
        interaction->SetBareDisk(channel.GetRbs());
        interaction->SetFileList(fileList);
        interaction->SetChannelFiles(record);

        const QDateTime dayStart(startDate, QTime(0, 0, 0));
        QList<CDateTimePair> segments;
        for (CSingleFile* f : fileList) {
            if (!f) continue;
            QDateTime start = RecorderDateTime(f->StartTime);
            const QDateTime end = RecorderDateTime(f->EndTime);
            qCDebug(lcKelUi) << "segment" << start.date().year() << start.date().month() << start.date().day()
                     << start.time().hour() << start.time().minute() << start.time().second() << "-"
                     << end.date().year() << end.date().month() << end.date().day() << end.time().hour()
                     << end.time().minute() << end.time().second();
            if (startDate.isValid() && start < dayStart) start = dayStart;
            CDateTimePair segment(start, end);
            if (g_playbackMode == 0)
                setSegmentColour(f->FileType, segment, channel.GetRbs());
            else if (g_playbackMode == 1)
                setSegmentColourByCategory(static_cast<int>(f->GetEnforceMode()), f->GetSubType(), segment);
            segments.append(segment);
        }
        m_segments[index] = segments;
    }
    return 0;
}

void PlaybackGridModel::setSegmentColour(int type, CDateTimePair& segment, bool bareDisk) {
    segment.setData(type, 0);
    segment.setData(type, CDateTimePair::RecordTypeRole);
    QColor colour;
    if (bareDisk) {
        switch (type) {
            case 0: return;
            case 1: case 8: colour = kBlue; break;
            case 2: case 3: case 4: case 5: colour = kOrange; break;
            default: colour = kGreen; break;
        }
    } else {
        switch (type) {
            case 0: case 6: colour = kBlue; break;
            case 1: case 2: case 3: case 4: case 7: case 8: case 10: case 11: case 12: case 13: colour = kOrange; break;
            case 255: return;
            default: colour = kGreen; break;
        }
    }
    segment.setData(QBrush(colour, Qt::SolidPattern), CDateTimePair::ColorRole);
}

void PlaybackGridModel::setSegmentColourByCategory(int enforceMode, int subType, CDateTimePair& segment) {
    const QStringList* list = nullptr;
    if (enforceMode == 1) list = &CategoryColoursA();
    else if (enforceMode == 0) list = &CategoryColoursB();
    if (!list || subType < 0 || subType >= list->size()) return;
    segment.setData(QBrush(QColor(list->at(subType)), Qt::SolidPattern), CDateTimePair::ColorRole);
}

void PlaybackGridModel::release(int index) {
    auto it = m_interactions.find(index);
    if (it == m_interactions.end()) return;
    CPlayBackInteraction* interaction = it.value();
    m_sync->RemoveInteraction(interaction);
    m_files.remove(index);
    m_segments.remove(index);
    m_interactions.erase(it);
    delete interaction;
    m_ownedFiles.remove(index);
    emit signalReleased(index);
}

void PlaybackGridModel::releaseAll() {
    m_created = time(nullptr);
    m_reset = m_created;
    m_generation = 0;
    m_files.clear();
    m_segments.clear();
    m_sync->StopAndClear();
    QMutexLocker lock(&m_mutex);
    qDeleteAll(m_interactions);
    m_interactions.clear();
    m_ownedFiles.clear();
    lock.unlock();
    emit signalReleased(-1);
}

time_t PlaybackGridModel::earliestStart(int index) const {
    if (index < 0 || !m_interactions.contains(index)) return 0;
    const QList<CDateTimePair> segments = m_segments.value(index);
    if (segments.isEmpty()) return 0;
    qint64 best = segments.first().startTime().toSecsSinceEpoch();
    for (const CDateTimePair& s : segments) best = std::min(best, s.startTime().toSecsSinceEpoch());
    return static_cast<time_t>(best);
}

std::vector<CPlayBackInteraction*> PlaybackGridModel::interactions() const {
    std::vector<CPlayBackInteraction*> list;
    for (auto it = m_interactions.cbegin(); it != m_interactions.cend(); ++it) list.push_back(it.value());
    return list;
}
