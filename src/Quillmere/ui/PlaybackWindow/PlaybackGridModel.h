// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Which cell of a playback grid plays what: the cells, the selected cell, one
// engine interaction per bound cell, the recording files and the time-axis
// segments of each bound cell, and the group that plays cells in step.
// It knows the cells only by pointer: what changes for a cell (selection,
// binding, release) it tells by signal, and the grid that owns it does the
// cell's and the time axis's part. GUI thread only.
#include <QList>
#include <QMap>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QVector>

#include <ctime>
#include <memory>
#include <vector>

#include "storage/ChannelFiles.h"
#include "storage/DateTimePair.h"
#include "Playback/PlayBackInteraction.h"
#include "storage/SingleFile.h"
#include "Playback/SynPlaybackInteraction.h"

class PlaybackWindow;
class SinglePlaybackWindow;

class PlaybackGridModel : public QObject {
    Q_OBJECT
public:
    PlaybackGridModel();
    ~PlaybackGridModel() override;
    PlaybackGridModel(const PlaybackGridModel&) = delete;
    PlaybackGridModel& operator=(const PlaybackGridModel&) = delete;

    void setOwner(PlaybackWindow* owner) { m_owner = owner; }
    PlaybackWindow* owner() const { return m_owner; }
    void setCells(QVector<SinglePlaybackWindow*> cells) { m_cells = cells; }
    int cellCount() const { return m_cells.size(); }
    void setPageMode(int mode) { m_pageMode = mode; }
    int pageMode() const { return m_pageMode; }

    // Selects the cell and unselects the one before (signalSelectionChanged);
    // an index outside the cells, or the cell already selected, changes
    // nothing.
    void select(int index);
    int selectedIndex() const { return m_selected; }
    APT_QMR::CPlayBackInteraction* selectedInteraction() const { return interaction(m_selected); }
    APT_QMR::CPlayBackInteraction* interaction(int index) const { return m_interactions.value(index, nullptr); }
    SinglePlaybackWindow* cell(int index) const;

    // Binds the records to the cells from `firstIndex` on, one record a cell
    // (signalBinding for a cell bound before, then signalBound). The model
    // takes every record and its file records over (records past cell 15
    // are freed unbound). -1 when an index leaves 0..15, else 0.
    int bind(QVector<ChannelFiles*> records, int firstIndex);
    // Frees the cell's interaction, files and segments (signalReleased).
    void release(int index);
    // Frees every cell's (signalReleased with -1).
    void releaseAll();

    // Smallest segment start of the cell; 0 when unbound or without segments.
    time_t earliestStart(int index) const;
    // Every interaction, in ascending cell index.
    std::vector<APT_QMR::CPlayBackInteraction*> interactions() const;
    bool isSyncRunning() const { return m_sync->IsStarted(); }
    bool hasInteractions() const { return !m_interactions.isEmpty(); }

    APT_QMR::SynPlaybackInteraction* syncGroup() const { return m_sync; }
    const QMap<int, APT_QMR::CPlayBackInteraction*>& interactionMap() const { return m_interactions; }
    const QMap<int, std::vector<APT_QMR::CSingleFile*>>& filesPerCell() const { return m_files; }
    std::vector<APT_QMR::CSingleFile*> files(int index) const { return m_files.value(index); }
    const QMap<int, QList<CDateTimePair>>& segmentsPerCell() const { return m_segments; }

    // Segment colour by record type code (role 0 and 356 get the code, role
    // 357 the brush); `bareDisk` picks the table of the bare-disk numbering.
    static void setSegmentColour(int type, CDateTimePair& segment, bool bareDisk);
    // Segment colour by evidence category; no type is stored.
    static void setSegmentColourByCategory(int enforceMode, int subType, CDateTimePair& segment);

signals:
    // The selection moved from `previous` (-1: none) to `current`.
    void signalSelectionChanged(int previous, int current);
    // A bound cell is about to be bound again: what it plays ends.
    void signalBinding(int index);
    // The cell now shows `channel` of `device` through `interaction`.
    void signalBound(int index, APT_QMR::CPlayBackInteraction* interaction, APT_QMR::CChannel channel,
                     QString device);
    // The cell's interaction is gone (-1: every cell's).
    void signalReleased(int index);

private:
    PlaybackWindow* m_owner = nullptr;
    QString m_name;
    time_t m_created = 0;
    time_t m_reset = 0;
    int m_tag = 1111;
    int m_generation = 1;
    APT_QMR::SynPlaybackInteraction* m_sync = nullptr;
    QMap<int, std::vector<APT_QMR::CSingleFile*>> m_files;
    QMap<int, QList<CDateTimePair>> m_segments;
    QVector<SinglePlaybackWindow*> m_cells;
    QMap<int, APT_QMR::CPlayBackInteraction*> m_interactions;
    // The file records of each bound cell, freed when the cell is released
    // (the interaction's channel-files record does not own them).
    QMap<int, std::vector<std::shared_ptr<APT_QMR::CSingleFile>>> m_ownedFiles;
    int m_selected = -1;
    QMutex m_mutex;
    int m_pageMode = 0;
};
