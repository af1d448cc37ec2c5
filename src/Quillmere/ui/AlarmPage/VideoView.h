// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The alarm clip viewer: plays the recording around one alarm into a custom
// player frame, shows the progress, and saves the alarm's span as an .mp4
// file in the "AlarmVideo" sub-folder of the download folder.
#include <QList>
#include <QString>
#include <QTimer>

#include <ctime>

#include "Playback/StreamDownloader.h"
#include "common/SavedFileNotice.h"
#include "ziraz/dialogs.h"

class CCustomPlayerFrame;
class QFrame;
class QGridLayout;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QSlider;
class QToolButton;
class QVBoxLayout;

namespace APT_QMR {
class CPlayBackInteraction;
}

namespace Ui {
class CVideoViewClass {
public:
    QGridLayout* gridLayout_3 = nullptr;
    QVBoxLayout* verticalLayout = nullptr;
    QWidget* m_pTopWidget = nullptr;
    QGridLayout* gridLayout = nullptr;
    QHBoxLayout* horizontalLayout = nullptr;
    QLabel* m_pTitleLabel = nullptr;
    QToolButton* m_pDownloadBtn = nullptr;
    CCustomPlayerFrame* m_pVideoPlayFrame = nullptr;
    QFrame* m_pPlayControlFrame = nullptr;
    QGridLayout* gridLayout_4 = nullptr;
    QHBoxLayout* horizontalLayout_3 = nullptr;
    QToolButton* m_pPlayBtn = nullptr;
    QHBoxLayout* horizontalLayout_2 = nullptr;
    QLabel* m_pProcessTime = nullptr;
    QLabel* m_pInterLabel = nullptr;
    QLabel* m_pEndTime = nullptr;
    QSlider* m_pPlaySlider = nullptr;
    QWidget* m_pBottomWidget = nullptr;
    QGridLayout* gridLayout_2 = nullptr;
    QPushButton* m_pCloseBtn = nullptr;

    void setupUi(QWidget* form);
    void retranslateUi(QWidget* form);
};
}  // namespace Ui

class CVideoView : public ziraz::BaseDialog {
    Q_OBJECT
public:
    explicit CVideoView(QWidget* parent = nullptr);
    ~CVideoView() override;

    void setDownloadEnabled(bool enabled);
    void setStartTime(time_t t) { m_tStart = t; }
    void setEndTime(time_t t) { m_tEnd = t; }
    void setTitle(const QString& text);
    void startPlay(time_t t);

    APT_QMR::CPlayBackInteraction* playback() const { return m_pPlayback; }
    APT_QMR::CStreamDownloader& downloader() { return m_downloader; }
    Ui::CVideoViewClass& ui() { return m_ui; }
    bool isPlaying() const { return m_bPlaying; }
    QString downloadedFile() const { return m_strDownloadedFile; }
    QTimer& playStatusTimer() { return m_playTimer; }

    // "hh:mm:ss" of a span length in seconds.
    static QString SpanText(time_t seconds);
    // Output file of the span [s, e] of `channelText`: makes its folder and
    // gives its path (a file left under that name stays); empty for kind 1.
    static QString prepareClipFile(time_t s, time_t e, const QString& channelText, int kind);

public slots:
    void onDownLoadBtn();
    void onPlayStatus();
    void onPlayStatusUpdateTimer();
    void onSetSliderPlayTime(int iValue);
    void onStopDownload();
    void onDownLoadCheck();
    void onGetFiles(QString path);
    void onPlaybackRemoteEvent(int state, int iLastIndex, int iTotalIndex);

private:
    bool hasFileInSpan(const QDateTime& a, const QDateTime& b) const;
    void notice(const QString& text, bool isPath);
    // The last output file, or what a stopped or cut-short one left.
    void noticeFile();

    QString m_strDownloadedFile;
    SavedFileNotice m_fileNotices;
    QTimer m_playTimer;
    Ui::CVideoViewClass m_ui;
    APT_QMR::CPlayBackInteraction* m_pPlayback = nullptr;
    APT_QMR::CStreamDownloader m_downloader;
    bool m_bPlaying = false;
    time_t m_tStart = 0;
    time_t m_tEnd = 0;
    QList<QString> m_iconPaths;
    QTimer m_checkTimer;
    // The running job has reported its end (its start report may still come).
    bool m_bJobEnded = true;
};
