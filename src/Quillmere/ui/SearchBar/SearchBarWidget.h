// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The search panel: the left column of the Playback page (mode 0) and of the
// Evidence page (mode 1). The operator picks the disks of a recorder medium
// or a local folder, a day range, and searches; the panel runs the disk or
// folder search worker, shows the found recordings as a device / channel /
// file tree with a file-type filter, hands a batch to the downloader
// Lorrimax, and on the Evidence page lists the evidence pictures.
#include <QColor>
#include <QDateTime>
#include <QModelIndex>
#include <QString>

#include <map>
#include <string>
#include <QStringList>
#include <QVector>

#include <ctime>
#include <functional>

#include "storage/ChannelFiles.h"
#include "common/DiskTreeBox.h"
#include "ziraz/controls.h"

class PictureShowModel;
class PlaybackControlArea;
class QStandardItem;
class QStandardItemModel;
class SearchLocalThread;
class SearchThread;
class VideoColorTipWidget;

namespace Ui {
class SearchBarWidget;
}

class SearchBarWidget : public ziraz::Widget {
    Q_OBJECT
public:
    // The disk table: physical drives with their drive letters, and one
    // entry (drive number -1) of the letters that lie on none of them.
    enum { kDiskTableSize = kDiskLettersRecordCount };

    explicit SearchBarWidget(QWidget* parent = nullptr);
    ~SearchBarWidget() override;

    // 0: Playback page, 1: Evidence page.
    void setPanelMode(int mode);
    int panelMode() const { return m_panelMode; }
    void setPlaybackControlArea(PlaybackControlArea* area) { m_playbackArea = area; }
    PlaybackControlArea* playbackControlArea() const { return m_playbackArea; }
    // How the panel asks the page's playback area whether a window plays,
    // and how it stops them all before a new search. Without them no window
    // counts as busy.
    void setPlaybackBusyHooks(std::function<bool()> isAnyWindowBusy, std::function<void()> stopAllWindows);

    // The records of the selected tree items for the playback grid (the
    // grid copies them). Records built from single files stay valid until
    // the next search.
    QVector<ChannelFiles*> getSelectedFiles();
    // Appends the records of one tree item (device, channel or file).
    void locateFile(QVector<ChannelFiles*>& records, QModelIndex index);
    void getDateTimeRange(QDateTime& start, QDateTime& end);
    QVector<ChannelFiles*> getSearchResults() const { return m_searchResults; }
    QVector<ChannelFiles*> shownResults() const { return m_shownResults; }
    void setStackPage(int index);
    QString formatCoordinate(int value, bool longitude);

    // Disk table and drive paths.
    void reloadDisks();
    void getDiskPaths(int number, QStringList& paths);
    const DiskLettersRecord* disks() const { return m_disks; }
    unsigned int diskCount() const { return m_diskCount; }
    QVector<ziraz::CheckBox*> diskCheckBoxes() const { return m_diskCheckBoxes; }

    // Tree and filter. The filter code of a file's type (by the Rbs flag of
    // its channel; -1 for none), and whether a code's entry lists the type.
    static int fileTypeCode(int type, bool rbs);
    static bool fileTypeMatches(int code, int type, bool rbs);
    void fillResultTree();
    QStandardItemModel* treeModel() const { return m_treeModel; }
    QDateTime firstTime() const { return m_firstTime; }
    QDateTime lastTime() const { return m_lastTime; }

    // Evidence pictures.
    void loadPictures(const QString& folder);
    void clearPictures();
    PictureShowModel* pictureModel() const { return m_pictureModel; }
    VideoColorTipWidget* colorTip() const { return m_colorTip; }
    bool loadPicturesAfterSearch() const { return m_loadPicturesAfterSearch; }

    // The batch downloader started by onLorrimax; by default "Lorrimax" in
    // the folder of the running program.
    void setLorrimaxProgram(const QString& program) { m_lorrimaxProgram = program; }
    QString lorrimaxProgram() const;

    // The time span of the span search mode (reached through the "Rigion"
    // radio, which the form keeps hidden): at most one day.
    void setSearchSpan(const QDateTime& start, const QDateTime& end);

    Ui::SearchBarWidget* form() const { return ui; }

signals:
    void signalStartSearchFiles();
    void signalSearchFilesFinished();
    void signalItemDoubleClickedMessage(QModelIndex);
    void signalSearchFileLocation(int type);
    void signalReloadDisk();
    void signalCover(bool);

public slots:
    void onSearchFilesFinished();
    void onSearchFiles();
    void onChangeColor(QModelIndexList list);
    void onChangeFileTypeFilter(int index);
    void onChangeCalendar(QDateTime dtBegin, QDateTime dtEnd);
    void onChangeDiskMode();
    void onLorrimax();
    void onShowPictureByTime(time_t time);
    void onShowRecordFile();
    void onShowPicture();
    void onSearchFilesVehicle();
    void onChangeFilePath();
    void onSearchLocalFilesFinished();
    void onShowSelectedPicture(QString picturePath);
    void onPictureHintBtnClicked();
    void onReloadDiskClicked();
    void onChangeSearchType();

private slots:
    void onLocationFilterChanged(const QString& text);

private:
    void initUi();
    void initConnect();
    void warn(int pictureType, const QString& text);
    bool askStopPlayback();
    // 0 when the span may be searched, -1 (after the warning) when not.
    int checkSearchSpan();
    bool searchDiskFiles();
    bool searchLocalFiles(bool typeFromName);
    void buildDiskCheckBoxes();
    void buildPartitionCheckBoxes();
    void showDiskChoice(bool disks);
    void resetResults();
    void freeFilteredRecords();
    void buildTree(const QVector<ChannelFiles*>& records, bool filteredTimes);
    // Adds file rows of the tree being built, at most `limit`, and stops early
    // once `turnMs` passed (never when it is negative); true when all are in.
    // Large trees are filled over several turns of the event loop.
    bool fillTreeRows(int limit, qint64 turnMs = -1);
    // The disk a file row names ("Disk 1 (E:)"); empty for a local folder.
    // Looked up once per disk and search.
    QString diskOfRow(const std::string& diskPath);
    void cancelTreeFill();
    void continueTreeFill();
    void discardTreeRows();
    void freeDiscardedRows();
    void rebuildFilterCombo();
    // Gives the result tree the day its page shows (see ChaseTree::setShownDay).
    void showTreeDay();
    ChannelFiles* matchRecord(const QModelIndex& channelIndex) const;
    ChannelFiles* buildRecord(const QModelIndex& channelIndex, const QModelIndexList& fileIndexes);
    void collectRows(const QModelIndex& parent, QModelIndexList* out) const;

    Ui::SearchBarWidget* ui;
    DiskLettersRecord m_disks[kDiskTableSize];
    unsigned int m_diskCount = 0;
    QVector<ziraz::CheckBox*> m_diskCheckBoxes;
    QVector<ChannelFiles*> m_searchResults;
    QVector<ChannelFiles*> m_shownResults;
    QVector<ChannelFiles*> m_selectedFiles;
    SearchThread* m_searchThread = nullptr;
    SearchLocalThread* m_localSearchThread = nullptr;
    PlaybackControlArea* m_playbackArea = nullptr;
    QStandardItemModel* m_treeModel = nullptr;
    QDateTime m_firstTime;
    QDateTime m_lastTime;
    QStringList m_dialogIcons;
    int m_panelMode = 0;
    QString m_localPath;
    PictureShowModel* m_pictureModel = nullptr;
    bool m_loadPicturesAfterSearch = false;
    VideoColorTipWidget* m_colorTip = nullptr;
    QColor m_dayMarkColor = QColor(QStringLiteral("#fa3239"));
    bool m_searchType = false;

    // Records the panel made itself and frees: those of filter runs, and
    // those built from single files for the playback grid.
    QVector<ChannelFiles*> m_filteredRecords;
    QVector<ChannelFiles*> m_builtRecords;
    std::function<bool()> m_isAnyWindowBusy;
    std::function<void()> m_stopAllWindows;
    QString m_lorrimaxProgram;
    QDateTime m_spanStart;
    QDateTime m_spanEnd;

    // The file rows still to add to the tree: per channel row, its record
    // and the next file of it.
    struct PendingChannel {
        QStandardItem* channel;
        const ChannelFiles* record;
        size_t next;
    };
    QVector<PendingChannel> m_treeFill;
    bool m_treeFillFiltered = false;
    bool m_treeFillHoldsSearch = false;   // the Search button waits for the tree
    quint64 m_treeFillSerial = 0;
    std::map<std::string, QString> m_diskNames;
    QList<QStandardItem*> m_discardedRows;   // rows taken out of the tree, freed a slice at a time
};
