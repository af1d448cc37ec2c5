// SPDX-License-Identifier: GPL-3.0-or-later
#include "VideoView.h"

#include "storage/RecorderTime.h"
#include "common/InterfaceHelpers.h"
#include "AlarmViewParts.h"

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSlider>
#include <QSpacerItem>
#include <QTime>
#include <QToolButton>
#include <QVBoxLayout>

#include "storage/CommonHelpers.h"
#include "storage/DiskEnum.h"
#include "CustomPlayerFrame.h"
#include "Playback/PlayBackInteraction.h"
#include "common/SaveDrive.h"
#include "storage/Settings.h"
#include "ziraz/sharetools.h"

namespace Ui {

void CVideoViewClass::setupUi(QWidget* form) {
    EnsureAlarmPageResources();
    if (form->objectName().isEmpty()) form->setObjectName(QStringLiteral("CVideoViewClass"));
    form->resize(625, 540);
    form->setMinimumSize(625, 540);
    form->setMaximumHeight(540);
    form->setStyleSheet(QStringLiteral("font-family: Microsoft YaHei;"));
    gridLayout_3 = new QGridLayout(form);
    gridLayout_3->setObjectName(QStringLiteral("gridLayout_3"));
    gridLayout_3->setSpacing(0);
    gridLayout_3->setContentsMargins(0, 0, 0, 0);
    verticalLayout = new QVBoxLayout();
    verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
    verticalLayout->setSpacing(0);
    {
        QMargins m = verticalLayout->contentsMargins();
        verticalLayout->setContentsMargins(16, m.top(), 16, m.bottom());
    }
    m_pTopWidget = new QWidget(form);
    m_pTopWidget->setObjectName(QStringLiteral("m_pTopWidget"));
    m_pTopWidget->setFixedHeight(44);
    gridLayout = new QGridLayout(m_pTopWidget);
    gridLayout->setObjectName(QStringLiteral("gridLayout"));
    gridLayout->setSpacing(0);
    gridLayout->setContentsMargins(0, 0, 0, 0);
    horizontalLayout = new QHBoxLayout();
    horizontalLayout->setObjectName(QStringLiteral("horizontalLayout"));
    AddTitleAndDownload(m_pTopWidget, horizontalLayout, &m_pTitleLabel, &m_pDownloadBtn);
    gridLayout->addLayout(horizontalLayout, 0, 0, 1, 1);
    verticalLayout->addWidget(m_pTopWidget);

    m_pVideoPlayFrame = new CCustomPlayerFrame(form);
    m_pVideoPlayFrame->setObjectName(QStringLiteral("m_pVideoPlayFrame"));
    m_pVideoPlayFrame->setFixedSize(593, 384);
    m_pVideoPlayFrame->setFrameShape(QFrame::StyledPanel);
    m_pVideoPlayFrame->setFrameShadow(QFrame::Raised);
    verticalLayout->addWidget(m_pVideoPlayFrame);

    m_pPlayControlFrame = new QFrame(form);
    m_pPlayControlFrame->setObjectName(QStringLiteral("m_pPlayControlFrame"));
    m_pPlayControlFrame->setFixedHeight(40);
    m_pPlayControlFrame->setFrameShape(QFrame::StyledPanel);
    m_pPlayControlFrame->setFrameShadow(QFrame::Raised);
    gridLayout_4 = new QGridLayout(m_pPlayControlFrame);
    gridLayout_4->setObjectName(QStringLiteral("gridLayout_4"));
    gridLayout_4->setSpacing(0);
    gridLayout_4->setContentsMargins(16, 0, 16, 0);
    horizontalLayout_3 = new QHBoxLayout();
    horizontalLayout_3->setObjectName(QStringLiteral("horizontalLayout_3"));
    horizontalLayout_3->setSpacing(8);
    m_pPlayBtn = new QToolButton(m_pPlayControlFrame);
    m_pPlayBtn->setObjectName(QStringLiteral("m_pPlayBtn"));
    m_pPlayBtn->setFixedSize(24, 24);
    m_pPlayBtn->setIcon(QIcon(QStringLiteral(":/Quillmere/Images/Alarm/common_video_pause.svg")));
    m_pPlayBtn->setIconSize(QSize(24, 24));
    horizontalLayout_3->addWidget(m_pPlayBtn);
    horizontalLayout_2 = new QHBoxLayout();
    horizontalLayout_2->setObjectName(QStringLiteral("horizontalLayout_2"));
    m_pProcessTime = new QLabel(m_pPlayControlFrame);
    m_pProcessTime->setObjectName(QStringLiteral("m_pProcessTime"));
    horizontalLayout_2->addWidget(m_pProcessTime);
    m_pInterLabel = new QLabel(m_pPlayControlFrame);
    m_pInterLabel->setObjectName(QStringLiteral("m_pInterLabel"));
    horizontalLayout_2->addWidget(m_pInterLabel);
    m_pEndTime = new QLabel(m_pPlayControlFrame);
    m_pEndTime->setObjectName(QStringLiteral("m_pEndTime"));
    horizontalLayout_2->addWidget(m_pEndTime);
    horizontalLayout_3->addLayout(horizontalLayout_2);
    m_pPlaySlider = new QSlider(m_pPlayControlFrame);
    m_pPlaySlider->setObjectName(QStringLiteral("m_pPlaySlider"));
    m_pPlaySlider->setOrientation(Qt::Horizontal);
    m_pPlaySlider->setMinimumWidth(415);
    horizontalLayout_3->addWidget(m_pPlaySlider);
    gridLayout_4->addLayout(horizontalLayout_3, 0, 0, 1, 1);
    verticalLayout->addWidget(m_pPlayControlFrame);
    gridLayout_3->addLayout(verticalLayout, 0, 0, 1, 1);
    gridLayout_3->addItem(new QSpacerItem(20, 16, QSizePolicy::Minimum, QSizePolicy::Fixed), 1, 0, 1, 1);

    m_pBottomWidget = new QWidget(form);
    m_pBottomWidget->setObjectName(QStringLiteral("m_pBottomWidget"));
    m_pBottomWidget->setFixedHeight(56);
    gridLayout_2 = new QGridLayout(m_pBottomWidget);
    gridLayout_2->setObjectName(QStringLiteral("gridLayout_2"));
    gridLayout_2->setSpacing(0);
    gridLayout_2->setContentsMargins(0, 12, 16, 12);
    gridLayout_2->addItem(new QSpacerItem(494, 20, QSizePolicy::Expanding, QSizePolicy::Minimum), 0, 0, 1, 1);
    m_pCloseBtn = new QPushButton(m_pBottomWidget);
    m_pCloseBtn->setObjectName(QStringLiteral("m_pCloseBtn"));
    m_pCloseBtn->setFixedSize(96, 32);
    gridLayout_2->addWidget(m_pCloseBtn, 0, 1, 1, 1);
    gridLayout_3->addWidget(m_pBottomWidget, 2, 0, 1, 1);
    gridLayout_3->addItem(new QSpacerItem(20, 40, QSizePolicy::Minimum, QSizePolicy::Expanding), 3, 0, 1, 1);
    retranslateUi(form);
}

void CVideoViewClass::retranslateUi(QWidget* form) {
    form->setWindowTitle(QApplication::translate("CVideoViewClass", "Form", nullptr));
    m_pTitleLabel->setText(QApplication::translate("CVideoViewClass", "ChannelRKQ33T39", nullptr));
    m_pDownloadBtn->setText(QApplication::translate("CVideoViewClass", "Download", nullptr));
    m_pPlayBtn->setText(QString());
    m_pProcessTime->setText(QApplication::translate("CVideoViewClass", "00:02:00", nullptr));
    m_pInterLabel->setText(QApplication::translate("CVideoViewClass", "/", nullptr));
    m_pEndTime->setText(QApplication::translate("CVideoViewClass", "00:04:00", nullptr));
    m_pCloseBtn->setText(QApplication::translate("CVideoViewClass", "Close", nullptr));
}

}  // namespace Ui

namespace {
const uint64_t kTwoGiB = 2ull * 1024 * 1024 * 1024;
const char* const kSubFolder = "AlarmVideo";

void ReportConnect(bool ok, int line) {
    if (!ok)
        ShareTools::debugMessage(QStringLiteral("connect failure! ") + QStringLiteral(__FILE__) + ":" +
                                 QString::number(line) + QStringLiteral(" in CVideoView::CVideoView"));
}
}  // namespace

CVideoView::CVideoView(QWidget* parent) : ziraz::BaseDialog(false, false, false, false, true, false, false, parent) {
    m_ui.setupUi(getSetupUiWidget());
    // The dialog's own title; this class's setTitle names the alarm in the
    // row above the picture.
    ziraz::BaseDialog::setTitle(tr("AlarmVideo"));
    FitToContent(m_ui.m_pDownloadBtn, 96, 32);
    FitToContent(m_ui.m_pCloseBtn, 96, 32);
    setBottomVisible(false);
    m_pPlayback = new APT_QMR::CPlayBackInteraction();

    ReportConnect(connect(m_ui.m_pDownloadBtn, SIGNAL(clicked()), this, SLOT(onDownLoadBtn())), __LINE__);
    ReportConnect(connect(m_ui.m_pCloseBtn, SIGNAL(clicked()), this, SLOT(close())), __LINE__);
    ReportConnect(connect(m_ui.m_pPlayBtn, SIGNAL(clicked()), this, SLOT(onPlayStatus())), __LINE__);
    ReportConnect(connect(&m_playTimer, SIGNAL(timeout()), this, SLOT(onPlayStatusUpdateTimer())), __LINE__);
    ReportConnect(connect(m_ui.m_pPlaySlider, SIGNAL(sliderMoved(int)), this, SLOT(onSetSliderPlayTime(int))),
                  __LINE__);
    ReportConnect(connect(&m_checkTimer, SIGNAL(timeout()), this, SLOT(onDownLoadCheck())), __LINE__);
    ReportConnect(connect(&m_downloader, SIGNAL(DownloadSignal(int, int, int)), this,
                          SLOT(onPlaybackRemoteEvent(int, int, int))),
                  __LINE__);

    m_ui.m_pPlayBtn->setIcon(QIcon(QStringLiteral(":/Quillmere/Images/Alarm/common_video_play.svg")));
    m_ui.m_pPlayBtn->setIconSize(QSize(24, 24));
    m_iconPaths << QStringLiteral(":/CommonSkin/Dialog/Images/Public/Control/Dialog/icon_alert_ok_large.png")
                << QStringLiteral(":/CommonSkin/Dialog/Images/Public/Control/Dialog/icon_alert_info_large.png")
                << QStringLiteral(":/CommonSkin/Dialog/Images/Public/Control/Dialog/icon_alert_error_large.png");
    m_ui.m_pPlaySlider->setRange(0, 100);
    m_ui.m_pPlaySlider->setValue(0);
    m_ui.m_pDownloadBtn->setEnabled(false);
}

CVideoView::~CVideoView() {
    m_playTimer.stop();
    m_checkTimer.stop();
    if (m_pPlayback) {
        m_pPlayback->Reset();
        delete m_pPlayback;
        m_pPlayback = nullptr;
    }
}

void CVideoView::setDownloadEnabled(bool enabled) { m_ui.m_pDownloadBtn->setEnabled(enabled); }

void CVideoView::setTitle(const QString& text) { m_ui.m_pTitleLabel->setText(text); }

QString CVideoView::SpanText(time_t seconds) {
    const long long d = static_cast<long long>(seconds);
    const long long h = d / 3600;
    const long long m = (d - 3600 * h) / 60;
    const long long s = (d - 3600 * h) % 60;
    return QTime(static_cast<int>(h), static_cast<int>(m), static_cast<int>(s)).toString(QStringLiteral("hh:mm:ss"));
}

void CVideoView::startPlay(time_t t) {
    m_pPlayback->StartPlayback(static_cast<QWidget*>(m_ui.m_pVideoPlayFrame), t);
    // The pictures take the place of the "NoVideo" sign.
    m_ui.m_pVideoPlayFrame->ui().m_pNoVideoContainerWidget->hide();
    m_bPlaying = true;
    m_ui.m_pPlayBtn->setIcon(QIcon(QStringLiteral(":/Quillmere/Images/Alarm/common_video_pause.svg")));
    m_ui.m_pPlayBtn->setIconSize(QSize(24, 24));
    m_playTimer.start(1000);
    m_ui.m_pPlaySlider->setValue(0);
    m_ui.m_pPlayBtn->setEnabled(true);
    m_ui.m_pPlaySlider->setEnabled(true);
    m_ui.m_pProcessTime->setText(QStringLiteral("00:00:00"));
    m_ui.m_pEndTime->setText(SpanText(m_tEnd - m_tStart));
    m_ui.m_pDownloadBtn->setEnabled(true);
}

void CVideoView::onPlayStatus() {
    if (m_bPlaying) {
        m_bPlaying = false;
        m_ui.m_pPlayBtn->setIcon(QIcon(QStringLiteral(":/Quillmere/Images/Alarm/common_video_play.svg")));
        m_pPlayback->Pause(true);
    } else {
        m_bPlaying = true;
        m_ui.m_pPlayBtn->setIcon(QIcon(QStringLiteral(":/Quillmere/Images/Alarm/common_video_pause.svg")));
        m_pPlayback->Pause(false);
    }
    m_ui.m_pPlayBtn->setIconSize(QSize(24, 24));
}

void CVideoView::onPlayStatusUpdateTimer() {
    const time_t p = m_pPlayback->GetPlayedTime();
    if (p > m_tEnd) {
        m_pPlayback->StopPlayback();
        m_ui.m_pPlaySlider->setValue(100);
        m_playTimer.stop();
        m_ui.m_pPlayBtn->setEnabled(false);
        m_ui.m_pPlaySlider->setEnabled(false);
        return;
    }
    if (p <= m_tStart || m_tEnd == m_tStart) return;
    const double ratio = static_cast<double>(p - m_tStart) * 100.0 / static_cast<double>(m_tEnd - m_tStart);
    m_ui.m_pPlaySlider->setValue(static_cast<int>(static_cast<float>(ratio)));
    m_ui.m_pProcessTime->setText(SpanText(p - m_tStart));
}

void CVideoView::onSetSliderPlayTime(int iValue) {
    const double t = static_cast<double>(m_tEnd - m_tStart) * iValue / 100.0 + static_cast<double>(m_tStart);
    const time_t seek = static_cast<time_t>(t);
    if (m_pPlayback && seek != 0) m_pPlayback->SeekTo(seek);
}

QString CVideoView::prepareClipFile(time_t s, time_t e, const QString& channelText, int kind) {
    if (kind == 1) return QString();
    const QString name = QStringLiteral("ch") + channelText + "_" + QString::fromStdString(TimeToString(s)) + "_" +
                         QString::fromStdString(TimeToString(e)) + QStringLiteral(".mp4");
    QString folder;
    if (!CSettingsStore::GetInstance()->GetValueText(SettingKey::DownloadSavePath, &folder)) folder = QStringLiteral("C:/");
    QString directory;
    if (folder.endsWith(QLatin1Char('\\')) || folder.endsWith(QLatin1Char('/')))
        directory = folder + kSubFolder + "/";
    else
        directory = folder + "/" + kSubFolder + "/";
    CreateDirectoryPath(std::string(directory.toLocal8Bit().constData()));
    // A clip of that name from before stays: the downloader writes beside
    // it under a name of its own.
    return directory + name;
}

bool CVideoView::hasFileInSpan(const QDateTime& a, const QDateTime& b) const {
    if (!m_pPlayback) return false;
    const std::vector<APT_QMR::CSingleFile*> files = m_pPlayback->GetFileList();
    for (const APT_QMR::CSingleFile* file : files) {
        if (!file) continue;
        const QDateTime fs = RecorderDateTime(file->StartTime);
        const QDateTime fe = RecorderDateTime(file->EndTime);
        if ((a >= fs && a <= fe) || (b >= fs && b <= fe) || (a <= fs && b >= fe)) return true;
    }
    return false;
}

void CVideoView::onDownLoadBtn() {
    m_downloader.SetSavePath(QString::fromLatin1(kSubFolder));
    if (!m_pPlayback || m_pPlayback->IsDownloading()) return;
    disconnect(&m_downloader, SIGNAL(DownloadFiles(QString)), this, SLOT(onGetFiles(QString)));
    ReportConnect(connect(&m_downloader, SIGNAL(DownloadFiles(QString)), this, SLOT(onGetFiles(QString))),
                  __LINE__);
    QString folder;
    if (!CSettingsStore::GetInstance()->GetValueText(SettingKey::DownloadSavePath, &folder)) return;
    uint64_t freeBytes = 0;
    if (!GetFreeDiskBytes(SaveDriveRoot(folder), &freeBytes, nullptr) || freeBytes < kTwoGiB) {
        ziraz::WarningDialog::showWarningDialog(2500, 2, tr("InsufficientDiskSpace"), this, nullptr, nullptr,
                                                QStringList(m_iconPaths), QSize(310, 120));
        return;
    }
    const APT_QMR::CChannel channel = m_pPlayback->GetChannel();
    m_downloader.SetDiskKind(channel.GetRbs() ? 1 : 0);
    {
        const std::vector<APT_QMR::CSingleFile*> files = m_pPlayback->GetFileList();
        m_downloader.SetNamePart(DiskNameParts({files.begin(), files.end()}));
    }
    auto* param = new APT_QMR::CStreamDownloaderParam(channel.GetChannelNumber());
    const int number = channel.GetChannelNumber();
    const QString channelText = (number < 10 ? QStringLiteral("0") : QString()) + QString::number(number);
    time_t s = m_tStart;
    time_t e = m_tEnd;
    if (s == e) e = s + 3;
    prepareClipFile(s, e, channelText, 0);
    if (!hasFileInSpan(RecorderDateTime(s), RecorderDateTime(e)) || s < 0 || s > e) {
        delete param;
        return;
    }
    if (!m_downloader.SetParam(param)) {
        delete param;  // refused: still the caller's
        return;
    }
    m_bJobEnded = false;
    m_strDownloadedFile.clear();
    m_fileNotices.clear();
    if (m_downloader.DownloadByTime(m_pPlayback->GetFileList(), s, e)) m_checkTimer.start(1000);
}

void CVideoView::onGetFiles(QString path) { m_strDownloadedFile = path; }

void CVideoView::notice(const QString& text, bool isPath) {
    ziraz::InformationDlg::ShowInformationAtScreenRightBottom(text, this, isPath, false, true);
}

void CVideoView::onPlaybackRemoteEvent(int state, int, int) {
    // The start's own reports come through the downloader's queue and may
    // arrive after the end of a short job: a start of a job that is already
    // over leaves the button as the end left it; a missing path is taken
    // from the downloader.
    if (m_strDownloadedFile.isEmpty()) m_strDownloadedFile = m_downloader.CurrentFilePath();
    switch (state) {
    case APT_QMR::DownloadStarted:
    case APT_QMR::DownloadNextFile:
        if (!m_bJobEnded) m_ui.m_pDownloadBtn->setEnabled(false);
        break;
    case APT_QMR::DownloadStopped:
        m_bJobEnded = true;
        m_checkTimer.stop();
        noticeFile();
        m_ui.m_pDownloadBtn->setEnabled(true);
        break;
    case APT_QMR::DownloadFileIncomplete:
        noticeFile();
        break;
    case APT_QMR::DownloadAllDone:
        m_bJobEnded = true;
        m_checkTimer.stop();
        noticeFile();
        m_ui.m_pDownloadBtn->setEnabled(true);
        break;
    case APT_QMR::DownloadFailed:
        m_bJobEnded = true;
        m_checkTimer.stop();
        notice(tr("DownloadException"), false);
        m_ui.m_pDownloadBtn->setEnabled(true);
        break;
    case APT_QMR::DownloadFileDone:
        noticeFile();
        break;
    case APT_QMR::DownloadDiskSpaceLow:
        m_bJobEnded = true;
        m_checkTimer.stop();
        ziraz::WarningDlg::ShowMessageInfo(tr("Error"), tr("InsufficientDiskSpace"), this);
        m_ui.m_pDownloadBtn->setEnabled(true);
        break;
    default:
        break;
    }
}

// The file's own report and the end of the job both name it: it is told
// once.
void CVideoView::noticeFile() {
    m_fileNotices.tell(this, m_strDownloadedFile, APT_QMR::CStreamDownloader::FileNotice(m_strDownloadedFile));
}

void CVideoView::onStopDownload() { m_downloader.StopDownload(false); }

void CVideoView::onDownLoadCheck() {
    QString folder;
    if (!CSettingsStore::GetInstance()->GetValueText(SettingKey::DownloadSavePath, &folder)) return;
    uint64_t freeBytes = 0;
    GetFreeDiskBytes(SaveDriveRoot(folder), &freeBytes, nullptr);
}
