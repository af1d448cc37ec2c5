// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The clip dialog: cuts a time span out of the recordings of the selected
// window (or of all windows) into ".mp4" files under the clip folder and an
// optional car-number sub-folder, through its own downloader. Each window
// gets a clip of its own, named after its channel and holding only that
// channel's pictures; with "All Windows" the clips are made one after the
// other.
#include <QDateTime>
#include <QMap>
#include <QString>
#include <QStringList>

#include <ctime>
#include <vector>

#include "storage/Channel.h"
#include "storage/SingleFile.h"
#include "Playback/StreamDownloader.h"
#include "common/SavedFileNotice.h"
#include "ziraz/dialogs.h"

class QComboBox;
class QDateTimeEdit;
class QLabel;
class QLineEdit;

class VideoCutWidget : public ziraz::BaseDialog {
    Q_OBJECT
public:
    using WindowFiles = QMap<int, std::vector<APT_QMR::CSingleFile*>>;
    using WindowChannels = QMap<int, APT_QMR::CChannel>;

    // The clip of one window: its channel's recordings of the span.
    struct ClipJob {
        int window = -1;
        int channel = -1;
        bool bareDisk = false;
        std::vector<APT_QMR::CSingleFile*> files;
    };

    explicit VideoCutWidget(QWidget* parent = nullptr);
    ~VideoCutWidget() override;

    void setTimeRange(const QDateTime& begin, const QDateTime& end);
    void setSelectedWindow(int index) { m_selected = index; }
    void setWindowFiles(WindowFiles files) { m_files = files; }
    // The channel each window shows (number and disk kind). A window without
    // one takes the channel of its first recording and the dialog's disk kind.
    void setWindowChannels(WindowChannels channels) { m_channels = channels; }
    void setDownLoadFileType(int type) { m_fileType = type; }
    void setDiskKind(bool bareDisk) { m_diskKind = bareDisk; }
    void resetInput();
    // The same operations under the names the grid uses.
    void setWindowIndex(int index) { setSelectedWindow(index); }
    void setWindowRecords(WindowFiles files) { setWindowFiles(files); }
    void setPageMode(int mode) { setDownLoadFileType(mode); }
    void setRbs(bool rbs) { setDiskKind(rbs); }
    void resetOutput() { resetInput(); }

    // Read by tests.
    QDateTimeEdit* beginEdit() const { return m_begin; }
    QDateTimeEdit* endEdit() const { return m_end; }
    QComboBox* windowChoice() const { return m_combo; }
    QLineEdit* carNumberEdit() const { return m_carNumber; }
    QLabel* stateLabel() const { return m_state; }
    APT_QMR::CStreamDownloader* downloader() { return &m_downloader; }
    QString currentFile() const { return m_currentFile; }
    // The clips of the current choice, in ascending window order: one per
    // window that has a recording of its channel, a recording file taken
    // once (a window showing one that an earlier window took adds nothing).
    std::vector<ClipJob> clipJobs() const;
    // The recordings a clip of the current choice would cut (all clips).
    std::vector<APT_QMR::CSingleFile*> chosenRecordings() const;
    // A clip is being made (a window's clip runs or more are to follow).
    bool clipping() const { return m_clipRunning || m_downloader.IsDownloading(); }
    static bool hasFileInSpan(const std::vector<APT_QMR::CSingleFile*>& files, time_t begin, time_t end);
    static int checkFreeSpace(const QString& folder);

public slots:
    void onVideoCutClicked();
    void onCurrentDownloadFile(QString fileName);
    void OnPlaybackRemoteEvent(int state, int iLastIndex, int iTotalIndex);

    // The title bar's close button and Escape end the dialog this way: refused
    // while a clip runs, like a close.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void initConnect();
    bool checkSavePath();
    bool checkInput();
    void prepareClipFolder();
    // Starts the next window's clip; a clip that cannot start is reported
    // and the one after it follows. Ends the run when none is left.
    void startNextClip();
    // The run is over: inputs unlocked, the state line says how it went.
    void finishClips();
    // The clip file, or what a stopped or cut-short one left.
    void showFile();
    void setInputEnabled(bool enabled);
    void warn(const QString& text, int ms = 2000);
    void showPath(const QString& text, bool isPath);

    QWidget* m_form = nullptr;
    QDateTimeEdit* m_begin = nullptr;
    QDateTimeEdit* m_end = nullptr;
    QComboBox* m_combo = nullptr;
    QLineEdit* m_carNumber = nullptr;
    QLabel* m_state = nullptr;
    WindowFiles m_files;
    WindowChannels m_channels;
    APT_QMR::CStreamDownloader m_downloader;
    QStringList m_icons;
    int m_fileType = 0;
    bool m_diskKind = false;
    int m_selected = -1;
    QString m_carNumberText;
    QString m_currentFile;
    SavedFileNotice m_fileNotices;
    // The run of clips: what is left to do and how the done ones went.
    std::vector<ClipJob> m_jobs;
    size_t m_nextJob = 0;
    bool m_clipRunning = false;
    int m_failedClips = 0;
    int m_incompleteClips = 0;
    time_t m_spanBegin = 0;
    time_t m_spanEnd = 0;
};
