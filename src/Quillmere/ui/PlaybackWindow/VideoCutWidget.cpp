// SPDX-License-Identifier: GPL-3.0-or-later
#include "VideoCutWidget.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSet>
#include <QVBoxLayout>

#include "storage/CommonHelpers.h"
#include "storage/DiskEnum.h"
#include "common/SaveWarning.h"
#include "storage/Settings.h"
#include "ziraz/controls.h"
#include "ziraz/datetimeedit.h"
#include "ziraz/sharetools.h"

using APT_QMR::CSingleFile;

namespace {

const uint64_t kClipMinFree = 2147483648ull;

// The value of a setting; "C:/" when the store has none.
QString FolderOf(SettingKey key, bool* present = nullptr) {
    QString value;
    const bool ok = CSettingsStore::GetInstance()->GetValueText(key, &value);
    if (present) *present = ok;
    return ok ? value : QString("C:/");
}

bool EndsWithSeparator(const QString& s) { return s.endsWith('/') || s.endsWith('\\'); }

// A car number is one folder name: no separators, not "." or "..".
bool IsSafeFolderName(const QString& name) {
    return !name.contains('/') && !name.contains('\\') && name != "." && name != "..";
}

}  // namespace

VideoCutWidget::VideoCutWidget(QWidget* parent)
    : ziraz::BaseDialog(false, false, false, false, true, true, true, parent) {
    m_form = getSetupUiWidget();
    m_form->setObjectName("QVideoCutWidget");
    m_form->resize(393, 205);
    m_form->setWindowTitle(QCoreApplication::translate("QVideoCutWidget", "QVideoCutWidget"));
    auto* grid = new QGridLayout(m_form);
    grid->setObjectName("gridLayout");
    grid->setSpacing(6);
    grid->setContentsMargins(11, 11, 11, 11);
    auto* vertical = new QVBoxLayout();
    vertical->setObjectName("verticalLayout");
    vertical->setSpacing(6);
    grid->addLayout(vertical, 0, 0);

    auto addRow = [&](const char* layoutName, const char* labelName, const char* text, QWidget* right) {
        auto* row = new QHBoxLayout();
        row->setObjectName(layoutName);
        row->setSpacing(6);
        auto* label = new QLabel(QCoreApplication::translate("QVideoCutWidget", text), m_form);
        label->setObjectName(labelName);
        label->setFixedWidth(120);
        row->addWidget(label);
        if (right) row->addWidget(right);
        vertical->addLayout(row);
    };
    m_begin = new ziraz::DateTimeEdit(m_form);
    m_begin->setObjectName("m_pBeginTime");
    m_begin->setMinimumWidth(187);
    m_end = new ziraz::DateTimeEdit(m_form);
    m_end->setObjectName("m_pEndTime");
    m_end->setMinimumWidth(187);
    m_combo = new ziraz::ComboBox(m_form);
    m_combo->setObjectName("comboBox");
    m_combo->setMinimumWidth(187);
    m_carNumber = new QLineEdit(m_form);
    m_carNumber->setObjectName("lineEditCameraName");
    addRow("horizontalLayout", "label", QT_TRANSLATE_NOOP("QVideoCutWidget", "Start Time:"), m_begin);
    addRow("horizontalLayout_2", "label_2", QT_TRANSLATE_NOOP("QVideoCutWidget", "End Time:"), m_end);
    addRow("horizontalLayout_4", "label_4", QT_TRANSLATE_NOOP("QVideoCutWidget", "Clip channel\xEF\xBC\x9A"), m_combo);
    addRow("horizontalLayout_3", "label_3", QT_TRANSLATE_NOOP("QVideoCutWidget", "Car Number:"), m_carNumber);
    auto* stateRow = new QHBoxLayout();
    stateRow->setObjectName("horizontalLayout_6");
    stateRow->setSpacing(6);
    m_state = new QLabel(m_form);
    m_state->setObjectName("labelState");
    m_state->setAlignment(Qt::AlignCenter);
    stateRow->addWidget(m_state);
    vertical->addLayout(stateRow);

    setConfirmButtonBehavior(false);
    setCancelButtonVisible(false);
    m_icons << ":/CommonSkin/Dialog/Images/Public/Control/Dialog/icon_alert_ok_large.png"
            << ":/CommonSkin/Dialog/Images/Public/Control/Dialog/icon_alert_info_large.png"
            << ":/CommonSkin/Dialog/Images/Public/Control/Dialog/icon_alert_error_large.png";
    m_combo->addItem(tr("Selected Window"));
    m_combo->addItem(tr("All Windows"));
    m_combo->setCurrentIndex(0);
    setConfirmButtonText(tr("Clip"));
    m_carNumber->setMaxLength(10);
    setTitle(tr("Clip"));
    initConnect();
}

VideoCutWidget::~VideoCutWidget() { m_downloader.StopDownload(false); }

void VideoCutWidget::initConnect() {
    auto check = [](bool ok, int line) {
        if (!ok)
            ShareTools::debugMessage(
                QString("connect failure! %1:%2 in VideoCutWidget::initConnect").arg(__FILE__).arg(line));
    };
    check(connect(this, &ziraz::BaseDialog::signalConfirmButtonClicked, this, &VideoCutWidget::onVideoCutClicked),
          __LINE__);
    check(connect(&m_downloader, &APT_QMR::CStreamDownloader::DownloadFiles, this,
                  &VideoCutWidget::onCurrentDownloadFile),
          __LINE__);
    check(connect(&m_downloader, &APT_QMR::CStreamDownloader::DownloadSignal, this,
                  &VideoCutWidget::OnPlaybackRemoteEvent),
          __LINE__);
}

void VideoCutWidget::setTimeRange(const QDateTime& begin, const QDateTime& end) {
    m_begin->setDateTime(begin);
    m_end->setDateTime(end);
}

void VideoCutWidget::resetInput() {
    m_carNumber->clear();
    m_state->clear();
    m_combo->setCurrentIndex(0);
}

void VideoCutWidget::warn(const QString& text, int ms) {
    ziraz::WarningDialog::showWarningDialog(ms, 2, text, this, nullptr, nullptr, m_icons, QSize(310, 120));
}

void VideoCutWidget::showPath(const QString& text, bool isPath) {
    ziraz::InformationDlg::ShowInformationAtScreenRightBottom(text, this, isPath, false, true);
}

bool VideoCutWidget::checkSavePath() {
    QString folder("C:/");
    if (m_fileType == 0) folder = FolderOf(SettingKey::DownloadSavePath);
    else if (m_fileType == 1) folder = FolderOf(SettingKey::EvidenceVideoSavePath);
    return CheckSavePath(folder, this);
}

int VideoCutWidget::checkFreeSpace(const QString& folder) {
    uint64_t freeBytes = 0;
    if (!GetFreeDiskBytes(folder, &freeBytes, nullptr)) return 2;
    return freeBytes < kClipMinFree ? 2 : 0;
}

bool VideoCutWidget::checkInput() {
    const time_t begin = static_cast<time_t>(m_begin->dateTime().toSecsSinceEpoch());
    const time_t end = static_cast<time_t>(m_end->dateTime().toSecsSinceEpoch());
    if (!(begin < end)) {
        warn(tr("the start time should be earlier than end time."));
        return false;
    }
    if (!m_carNumber->isHidden() && m_carNumber->text().isEmpty()) {
        warn(tr("Car Number can not be empty."));
        return false;
    }
    if (!IsSafeFolderName(m_carNumber->text().trimmed())) {
        warn(tr("Car Number is invalid."));
        return false;
    }
    bool present = false;
    QString folder;
    if (m_fileType == 0) folder = FolderOf(SettingKey::CaptureSavePath, &present);
    else if (m_fileType == 1) folder = FolderOf(SettingKey::EvidenceVideoSavePath, &present);
    if (!present) return false;
    if (checkFreeSpace(folder) != 0) {
        warn(tr("At least 2G disk space is need."));
        return false;
    }
    const QString car = m_carNumber->text().trimmed();
    const QString clipFolder = EndsWithSeparator(folder) ? folder + car : folder + "/" + car;
    QString loading;
    const std::vector<CSingleFile*> list = m_files.value(m_selected);
    if (!list.empty() && list.front()) loading = QFileInfo(QString::fromStdString(list.front()->FileName)).absolutePath();
    if (QDir(clipFolder) == QDir(loading)) {
        warn(tr("Clipping path can not be equal to loading path."));
        return false;
    }
    return true;
}

std::vector<VideoCutWidget::ClipJob> VideoCutWidget::clipJobs() const {
    std::vector<int> windows;
    if (m_combo->currentIndex() == 0) {
        windows.push_back(m_selected);
    } else {
        for (auto it = m_files.cbegin(); it != m_files.cend(); ++it) windows.push_back(it.key());
    }
    std::vector<ClipJob> jobs;
    QSet<QString> taken;
    for (int window : windows) {
        const std::vector<CSingleFile*> list = m_files.value(window);
        ClipJob job;
        job.window = window;
        job.bareDisk = m_diskKind;
        const auto channel = m_channels.constFind(window);
        if (channel != m_channels.constEnd() && channel->GetChannelNumber() >= 0) {
            job.channel = channel->GetChannelNumber();
            job.bareDisk = channel->GetRbs();
        } else {
            for (const CSingleFile* f : list) {
                if (!f) continue;
                job.channel = f->ChannelNumber;
                break;
            }
        }
        // A window shows one channel: recordings of any other in its list
        // stay out of its clip.
        for (CSingleFile* f : list) {
            if (!f || f->ChannelNumber != job.channel) continue;
            const QString name = QString::fromStdString(f->FileName);
            if (taken.contains(name)) continue;
            taken.insert(name);
            job.files.push_back(f);
        }
        if (!job.files.empty()) jobs.push_back(job);
    }
    return jobs;
}

std::vector<CSingleFile*> VideoCutWidget::chosenRecordings() const {
    std::vector<CSingleFile*> all;
    for (const ClipJob& job : clipJobs()) all.insert(all.end(), job.files.begin(), job.files.end());
    return all;
}

void VideoCutWidget::prepareClipFolder() {
    // A clip of the same name from before stays: the downloader writes
    // beside it under a name of its own.
    if (m_fileType != 0) return;
    QString folder = FolderOf(SettingKey::ClipSavePath);
    if (m_carNumberText.isEmpty()) {
        if (!EndsWithSeparator(folder)) folder += "/";
    } else {
        folder += (EndsWithSeparator(folder) ? "" : "/") + m_carNumberText + "/";
    }
    CreateDirectoryPath(folder.toLocal8Bit().toStdString());
}

bool VideoCutWidget::hasFileInSpan(const std::vector<CSingleFile*>& files, time_t begin, time_t end) {
    for (CSingleFile* f : files) {
        if (!f) continue;
        const time_t s = f->StartTime;
        const time_t e = f->EndTime;
        if ((begin >= s && begin <= e) || (end >= s && end <= e) || (begin <= s && end >= e)) return true;
    }
    return false;
}

void VideoCutWidget::onVideoCutClicked() {
    if (!checkSavePath()) return;
    if (clipping()) return;
    if (!checkInput()) return;
    m_downloader.StopDownload(false);
    m_carNumberText = m_carNumber->text().trimmed();
    m_downloader.SetSavePath(m_carNumberText);
    m_downloader.SetDiskKind(m_diskKind);
    m_downloader.SetDownLoadFileType(m_fileType);
    m_downloader.SetClipMode(true);
    // Copies of one channel's times from two disks, in two windows, tell
    // their disk by name, as the batch downloader's files do.
    std::vector<const CSingleFile*> shown;
    for (auto it = m_files.cbegin(); it != m_files.cend(); ++it) shown.insert(shown.end(), it->begin(), it->end());
    m_downloader.SetNamePart(DiskNameParts(shown));
    const time_t begin = static_cast<time_t>(m_begin->dateTime().toSecsSinceEpoch());
    const time_t end = static_cast<time_t>(m_end->dateTime().toSecsSinceEpoch());
    std::vector<ClipJob> jobs;
    for (ClipJob& job : clipJobs())
        if (hasFileInSpan(job.files, begin, end)) jobs.push_back(std::move(job));
    prepareClipFolder();
    if (jobs.empty()) {
        warn(tr("No file to download."), 2500);
        return;
    }
    if (!(begin < end && begin >= 0)) return;
    m_jobs = std::move(jobs);
    m_nextJob = 0;
    m_failedClips = 0;
    m_incompleteClips = 0;
    m_fileNotices.clear();
    m_spanBegin = begin;
    m_spanEnd = end;
    m_clipRunning = true;
    startNextClip();
}

void VideoCutWidget::startNextClip() {
    while (m_clipRunning && m_nextJob < m_jobs.size()) {
        const ClipJob& job = m_jobs[m_nextJob++];
        m_downloader.SetDiskKind(job.bareDisk);
        auto* param = new APT_QMR::CStreamDownloaderParam(0);
        if (!m_downloader.SetParam(param)) {
            delete param;
        } else {
            m_currentFile.clear();
            if (m_downloader.DownloadByTime(job.files, m_spanBegin, m_spanEnd)) return;
        }
        // This window's recording could not be opened, or gave nothing.
        ++m_failedClips;
        showPath(tr("DownLoad Exception."), false);
    }
    finishClips();
}

void VideoCutWidget::finishClips() {
    m_clipRunning = false;
    m_jobs.clear();
    m_nextJob = 0;
    setInputEnabled(true);
    if (m_failedClips > 0)
        m_state->setText(tr("Download Exception"));
    else if (m_incompleteClips > 0)
        m_state->setText(tr("Download Incomplete"));
    else
        m_state->setText(tr("Download Completed"));
}

void VideoCutWidget::onCurrentDownloadFile(QString fileName) { m_currentFile = fileName; }

void VideoCutWidget::OnPlaybackRemoteEvent(int state, int, int) {
    switch (state) {
        case APT_QMR::DownloadStarted:
            setInputEnabled(false);
            m_state->setText(tr("Downloading"));
            break;
        case APT_QMR::DownloadStopped:
            // A stop ends the whole run: no further window is clipped.
            ++m_incompleteClips;
            m_clipRunning = false;
            finishClips();
            showFile();
            break;
        case APT_QMR::DownloadFileIncomplete:
            ++m_incompleteClips;
            showFile();
            break;
        case APT_QMR::DownloadAllDone:
            // This window's clip is done (told once: a clip whose recording
            // ended early, or of the evidence type, was told already).
            if (!m_currentFile.isEmpty()) showFile();
            startNextClip();
            break;
        case APT_QMR::DownloadFailed:
            ++m_failedClips;
            showPath(tr("DownLoad Exception."), false);
            startNextClip();
            break;
        case APT_QMR::DownloadFileDone:
            if (m_fileType == 1) showFile();
            break;
        case APT_QMR::DownloadDiskSpaceLow:
            // The clip drive is full: the windows still to come would fail too.
            ++m_failedClips;
            m_clipRunning = false;
            finishClips();
            ziraz::WarningDlg::ShowMessageInfo(tr("Error"), tr("Disk space is not enough. At least 2G disk space is need."),
                                              this);
            break;
        default:
            break;
    }
}

void VideoCutWidget::showFile() {
    m_fileNotices.tell(this, m_currentFile, APT_QMR::CStreamDownloader::FileNotice(m_currentFile));
}

void VideoCutWidget::setInputEnabled(bool enabled) {
    m_begin->setEnabled(enabled);
    m_end->setEnabled(enabled);
    m_combo->setEnabled(enabled);
    m_carNumber->setEnabled(enabled);
    setConfirmButtonEnabled(enabled);
}

void VideoCutWidget::closeEvent(QCloseEvent* event) {
    if (clipping()) {
        warn(tr("Clipping, please wait or stop."));
        event->ignore();
        return;
    }
    event->accept();
}

void VideoCutWidget::reject() {
    if (clipping()) {
        warn(tr("Clipping, please wait or stop."));
        return;
    }
    ziraz::BaseDialog::reject();
}
