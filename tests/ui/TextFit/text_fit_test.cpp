// SPDX-License-Identifier: GPL-3.0-or-later
// Every page and dialog of the programs at 1280x800, in English and in
// Chinese, with the programs' own font and skin: each shown label, button,
// header section, combo box, tab and item-view cell keeps its whole text, and
// each button draws a text or a picture. KEL's pages are filled over sample
// media (search results and playing windows, logs, alarms), the control bar's
// pop-ups, the download, clip and alarm dialogs, the batch downloader with
// every status of a row, the uninstaller's pages and the message boxes.
//
// Texts shortened with "…" on purpose, the whole text then being the tool
// tip, are allowed only where kElidedOnPurpose names them: the playback
// window's name beside its time in a narrow window, the folder of a long
// path in a notice (never the file's name), the uninstaller's list of the folders it kept and a ticked entry
// wider than the head of its selector.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QMenu>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTest>
#include <QTextCodec>
#include <QToolButton>
#include <QTranslator>

#include <functional>
#include <memory>

#include "AlarmPage/AlarmModels.h"
#include "AlarmPage/AlarmWidget.h"
#include "Download/Batch/BatchDownloadDialog.h"
#include "AlarmPage/CaptureView.h"
#include "SearchBar/ChaseTree.h"
#include "InstallingPage.h"
#include "LogPage/LogDiskBox.h"
#include "LogPage/LogWidget.h"
#include "common/MultiCheckCombox.h"
#include "common/RunningInstance.h"
#include "MainWindow.h"
#include "Quillmere/OperateSelWidget.h"
#include "PlayControlBar/PlayControlBar.h"
#include "PlaybackWindow/PlaybackControlArea.h"
#include "Download/PlaybackDownLoad.h"
#include "PlaybackWindow/PlaybackGridModel.h"
#include "PlaybackWindow/PlaybackWindow.h"
#include "Quillmere/Quillmere.h"
#include "SearchBar/SearchBarWidget.h"
#include "SearchBar/SearchBarWidgetForm.h"
#include "storage/Settings.h"
#include "PlaybackWindow/SinglePlaybackWindow.h"
#include "common/Skin.h"
#include "Tavick/Tavick.h"
#include "PlayBackPage/TimeVehicleDataWidget/TimeVehicleDataWidget.h"
#include "Quillmere/TitleBar.h"
#include "UnInstallCompletedPage.h"
#include "PlaybackWindow/VideoCutWidget.h"
#include "AlarmPage/VideoView.h"
#include "caldrune/caldrune.h"
#include "kel_test/page_media.h"
#include "kel_test/test_support.h"
#include "text_fit.h"
#include "ziraz/datetimeedit.h"
#include "ziraz/dialogs.h"
#include "ziraz/itemviews.h"

namespace {

const QSize kWindow(1280, 800);

// Shortened with "…" on purpose, the whole text being the tool tip.
const QSet<QString> kElidedOnPurpose = {
    "m_pTitlelabel",          // a playback window's name beside its time
    "ziraz_InformationDlg",   // a notice naming a long path
    "m_pLeftoverLabel",       // the uninstaller's list of the folders it kept
    "m_checkedTag",           // a ticked entry wider than its selector's head
};

void Settle(int ms = 150) { QTest::qWait(ms); }

QDateTime RecorderTime(uint32_t seconds) {
    const QDateTime utc = QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC);
    return QDateTime(utc.date(), utc.time(), Qt::LocalTime);
}

// The catalogue of a program in the test's language, from the build.
class Catalogue {
public:
    Catalogue(const QString& name, const QString& language) {
        m_loaded = m_translator.load(name + "_" + language, kel_test::BinaryDir() + "/bin/translations") &&
                   QCoreApplication::installTranslator(&m_translator);
    }
    ~Catalogue() {
        if (m_loaded) QCoreApplication::removeTranslator(&m_translator);
    }
    bool loaded() const { return m_loaded; }

private:
    QTranslator m_translator;
    bool m_loaded = false;
};

class TextFit : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        language = QString::fromLatin1(GetParam());
        // The programs' font and skin, as they start.
        apt::ToolApplicationHull::ApplyProgramFont();
        Skin::Apply(qApp);
        walker.reset(new text_fit::Walker(kElidedOnPurpose));
    }

    void TearDown() override {
        const text_fit::Report& r = walker->report();
        EXPECT_GT(r.texts, 0);
        for (const QString& f : r.faults) ADD_FAILURE() << f.toStdString();
        QStringList elided = r.elided;
        elided.removeDuplicates();
        if (!elided.isEmpty()) std::printf("[%s] shortened on purpose: %s\n", GetParam(), qPrintable(elided.join(", ")));
    }

    void Walk(QWidget* w, const QString& where) {
        Settle();
        walker->walk(w, QStringLiteral("[%1] %2").arg(language, where));
    }

    QString language;
    std::unique_ptr<text_fit::Walker> walker;
};

// Answers the program's message boxes; a modal dialog is shown and walked
// (and the wait dialog of a search held until its search ends), then closed.
struct Dialogs {
    explicit Dialogs(std::function<void(QDialog*, const QString&)> look)
        : presenter([this, look](const ziraz::DialogCall& call) -> std::optional<int> {
              if (call.kind != ziraz::DialogKind::Modal || !call.dialog) {
                  texts << call.text;
                  return 1;
              }
              // The progress of a table being filled runs for real.
              if (qobject_cast<ziraz::Progress*>(call.dialog)) return std::nullopt;
              if (qobject_cast<ziraz::ChaseDialog*>(call.dialog)) {
                  bool done = false;
                  QMetaObject::Connection c =
                      QObject::connect(call.dialog, &QDialog::finished, [&done] { done = true; });
                  EXPECT_TRUE(kel_test::WaitUntil([&] { return done; }, 120));
                  QObject::disconnect(c);
                  return 1;
              }
              call.dialog->show();
              Settle(300);
              if (look) look(call.dialog, call.title);
              call.dialog->hide();
              return 0;
          }) {}
    QStringList texts;  // of the message boxes answered
    ziraz::ScopedDialogPresenter presenter;
};

// Two recorder disks with recordings, alarms with pictures, logs and vehicle
// data, both on the first day of the media.
struct Media {
    Media() {
        auto adjust = [](recmedia::MediaSpec& spec) {
            spec.indexOnly = false;
            spec.fast = false;
            spec.repeatGop = true;
            spec.width = 176;
            spec.height = 144;
            spec.perDay = 3;
            spec.channels = 4;
            spec.pictures = true;
            spec.vehicleFiles = true;
        };
        first = set.Add(21, 'E', adjust);
        second = set.Add(22, 'F', adjust);
    }
    page_test::MediaSet set;
    page_test::Medium* first = nullptr;
    page_test::Medium* second = nullptr;
};

void UseProgramFolderForOutputs() {
    CSettingsStore* s = CSettingsStore::GetInstance();
    const QString out = kel_test::ProgramFolder() + "/output/";
    s->SetValueText(SettingKey::ChannelNum, "4");
    s->SetValueText(SettingKey::DownloadSavePath, out + "Download/");
    s->SetValueText(SettingKey::ClipSavePath, out + "Clip/");
    s->SetValueText(SettingKey::CaptureSavePath, out + "Capture/");
    s->SetValueText(SettingKey::EvidenceVideoSavePath, out + "EvidenceVideo/");
    s->SetValueText(SettingKey::EvidencePictureSavePath, out + "EvidencePicture/");
}

// KEL's window at 1280x800: every page with its results, the control bar's
// pop-ups and the dialogs the pages open.
TEST_P(TextFit, KelPagesAndDialogs) {
    Catalogue kel("Quillmere", language);
    ASSERT_TRUE(kel.loaded());
    Media media;
    ASSERT_TRUE(media.first && media.second);
    UseProgramFolderForOutputs();
    const QDateTime dayStart = RecorderTime(media.first->info.firstDay);
    const QDateTime dayEnd = RecorderTime(media.first->info.firstDay + 86399);

    std::function<void(QDialog*, const QString&)> lookAtDialog;
    Dialogs dialogs([&](QDialog* d, const QString& title) {
        if (lookAtDialog) lookAtDialog(d, title);
    });
    Quillmere window;
    window.resize(kWindow);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_EQ(window.size(), kWindow);

    // Playback: today's results of both disks, four windows playing.
    auto* panel = qobject_cast<SearchBarWidget*>(window.playbackSearchBar());
    auto* area = qobject_cast<PlaybackControlArea*>(window.playbackControlArea());
    ASSERT_TRUE(panel && area);
    PlaybackWindow* grid = area->playbackWindow();
    panel->form()->searchRangeDateTimeEdit->SetDateRange(dayStart.date(), dayStart.date());
    panel->form()->btnSearchRecord->click();
    ASSERT_TRUE(kel_test::WaitUntil(
        [&] { return panel->form()->btnSearchRecord->isEnabled() && !panel->shownResults().isEmpty(); }, 120));
    QTreeView* tree = panel->form()->treeRecordFileList->treeView();
    QAbstractItemModel* treeModel = tree->model();
    ASSERT_GT(treeModel->rowCount(), 0);
    const QModelIndex device = treeModel->index(0, 0);
    tree->expand(treeModel->index(0, 0, device));
    grid->onSelectedPlaybackWnd(0);
    emit panel->signalItemDoubleClickedMessage(device);
    ASSERT_TRUE(kel_test::WaitUntil(
        [&] {
            APT_QMR::CPlayBackInteraction* ia = grid->model()->interaction(0);
            return ia && ia->m_streamPlayer.GetPlayedTime() > 0;
        },
        120));
    Settle(1000);
    Walk(&window, "Playback");

    auto* vehicle = qobject_cast<TimeVehicleDataWidget*>(window.vehicleDataPanel());
    ASSERT_TRUE(vehicle);
    for (int tab : {1, 2}) {
        vehicle->tabWidget()->setCurrentIndex(tab);
        Settle(600);
        Walk(&window, "Playback, " + vehicle->tabWidget()->tabText(tab));
    }
    vehicle->tabWidget()->setCurrentIndex(0);

    PlayControlBar* bar = area->controlBar();
    emit bar->nineScreenSplit();
    Settle(600);
    Walk(&window, "Playback, 9 windows");
    emit bar->sixteenScreenSplit();
    Settle(600);
    Walk(&window, "Playback, 16 windows");
    emit bar->fourScreenSplit();
    bar->onLayout();
    ASSERT_TRUE(kel_test::WaitUntil([&] { return bar->layoutMenu()->isVisible(); }, 120));
    Walk(bar->layoutMenu(), "Layout menu");
    bar->layoutMenu()->hide();

    // The download dialog of the first window, with every status a row can have.
    lookAtDialog = [&](QDialog* d, const QString&) {
        auto* download = qobject_cast<CPlaybackDownLoad*>(d);
        ASSERT_TRUE(download);
        const char* statuses[] = {"Downloading", "Download Completed", "Download Incomplete", "Download Exception"};
        const QVector<QStandardItem*>& items = download->statusItems();
        for (int i = 0; i < items.size(); ++i)
            items[i]->setText(QCoreApplication::translate("CPlaybackDownLoad", statuses[i % 4]));
        Walk(d, "Download dialog, by file");
        download->ui().m_pDownloadTabWidget->setCurrentIndex(1);
        Walk(d, "Download dialog, by time");
    };
    grid->cells().first()->onDownLoad();
    lookAtDialog = [&](QDialog* d, const QString&) { Walk(d, "Clip dialog"); };
    grid->model()->select(0);
    grid->onVideoCut();
    lookAtDialog = nullptr;

    // The about panel under the title bar.
    auto* about = window.titleBar()->findChild<QToolButton*>("aboutBtn");
    ASSERT_TRUE(about);
    about->click();
    ASSERT_TRUE(kel_test::WaitUntil([] { return QApplication::activePopupWidget() != nullptr; }));
    Walk(QApplication::activePopupWidget(), "About");
    QApplication::activePopupWidget()->close();

    // Evidence: the same disks from its own panel, a window playing.
    QTest::mouseClick(window.operateSelWidget()->button(1), Qt::LeftButton);
    auto* evidencePanel = qobject_cast<SearchBarWidget*>(window.evidenceSearchBar());
    auto* evidenceArea = qobject_cast<PlaybackControlArea*>(window.evidenceControlArea());
    evidencePanel->form()->searchRangeDateTimeEdit->SetDateRange(dayStart.date(), dayStart.date());
    evidencePanel->form()->btnSearchRecord->click();
    ASSERT_TRUE(kel_test::WaitUntil([&] { return evidencePanel->form()->btnSearchRecord->isEnabled(); }, 120));
    emit evidencePanel->signalItemDoubleClickedMessage(
        evidencePanel->form()->treeRecordFileList->treeView()->model()->index(0, 0));
    Settle(1500);
    Walk(&window, "Evidence");

    // Log: the day's logs of drive E:.
    QTest::mouseClick(window.operateSelWidget()->button(3), Qt::LeftButton);
    auto* log = qobject_cast<LogWidget*>(window.logPage());
    ASSERT_TRUE(log);
    CLogDiskBox* disks = log->ui()->diskTreeCombox;
    for (int i = 0; i < disks->count(); ++i)
        if (disks->itemText(i).contains("E:")) disks->setCurrentIndex(i);
    log->ui()->rangeDateTimeEdit->setDateTimeRange(dayStart, dayEnd);
    log->ui()->checkBtn->click();
    ASSERT_TRUE(kel_test::WaitUntil([&] { return log->model()->rowCount() > 0; }, 120));
    Walk(&window, "Log");

    // Alarm: every channel and type of the day, then the picture and the
    // clip of the first alarm.
    QTest::mouseClick(window.operateSelWidget()->button(4), Qt::LeftButton);
    auto* alarms = qobject_cast<CAlarmWidget*>(window.alarmPage());
    ASSERT_TRUE(alarms);
    Walk(&window, "Alarm, before a query");
    for (QStandardItemModel* m : {static_cast<QStandardItemModel*>(alarms->channelModel()),
                                  static_cast<QStandardItemModel*>(alarms->alarmTypeModel())})
        for (int r = 0; r < m->rowCount(); ++r) m->setData(m->index(r, 0), Qt::Checked, Qt::CheckStateRole);
    alarms->ui()->m_pRangeDateTimeEdit->setDateTimeRange(dayStart, dayEnd);
    alarms->onQueryBtn();
    ASSERT_GT(alarms->alarmModel()->rowCount(), 0) << dialogs.texts.join(" | ").toStdString();
    Walk(&window, "Alarm");
    alarms->ui()->m_pAlarmTypeWidget->onClickArrowBtn();
    Walk(alarms->ui()->m_pAlarmTypeWidget->popupWidget(), "Alarm, list of types");
    alarms->ui()->m_pAlarmTypeWidget->popupWidget()->hide();
    alarms->ui()->m_pChannelWidget->onClickArrowBtn();
    Walk(alarms->ui()->m_pChannelWidget->popupWidget(), "Alarm, list of channels");
    alarms->ui()->m_pChannelWidget->popupWidget()->hide();
    const QModelIndex action = alarms->alarmModel()->index(0, 4);
    lookAtDialog = [&](QDialog* d, const QString&) { Walk(d, "Alarm picture"); };
    alarms->onClickAction(action, ziraz::PictureActionRole);
    lookAtDialog = [&](QDialog* d, const QString&) {
        kel_test::WaitUntil([&] { return alarms->videoView().isPlaying(); });
        Walk(d, "Alarm clip");
    };
    alarms->onClickAction(action, ziraz::LiveViewActionRole);
    lookAtDialog = nullptr;
    if (APT_QMR::CPlayBackInteraction* playback = alarms->videoView().playback()) playback->StopPlayback();

    // Settings.
    QTest::mouseClick(window.operateSelWidget()->button(5), Qt::LeftButton);
    Walk(&window, "Settings");

    area->stopAll();
    evidenceArea->stopAll();
}

// The batch downloader with the rows of a search, every status a row can
// show, and both of its pages.
TEST_P(TextFit, BatchDownloader) {
    Catalogue batch("Lorrimax", language);
    ASSERT_TRUE(batch.loaded());
    Media media;
    UseProgramFolderForOutputs();
    // The hand-over KEL writes: the disks and every recording of both.
    QString blocks, diskList;
    for (page_test::Medium* m : {media.first, media.second}) {
        const QString disk = QString(QChar(m->letter)) + ":\\";
        diskList += QStringLiteral("<Disk><DiskName>%1</DiskName></Disk>").arg(disk.toHtmlEscaped());
        for (int channel = 1; channel <= 2; ++channel) {
            ChannelFiles record;
            record.DiskName = disk;
            record.DeviceName = QStringLiteral("DVR Video");
            record.ChannelInfo.SetChannelNumber(channel);
            for (int k = 0; k < 3; ++k) {
                auto* f = new APT_QMR::CSingleFile;
                f->StartTime = m->info.firstDay + 28800 + 90 * k;
                f->EndTime = f->StartTime + 59;
                f->FileSize = 1048576u * (7 + k);
                f->DiskName = disk.toStdString();
                f->FileName = QStringLiteral("ch%1_%2.mp4").arg(channel).arg(k).toStdString();
                record.SingleFileList.push_back(f);
            }
            blocks += record.ToXml();
            for (APT_QMR::CSingleFile* f : record.SingleFileList) delete f;
            record.SingleFileList.clear();
        }
    }
    QTextCodec* gb = QTextCodec::codecForName("GB2312");
    ASSERT_TRUE(gb);
    kel_test::WriteFile(kel_test::ProgramFolder() + "/SearchedFile.xml",
                        gb->fromUnicode("<?xml version=\"1.0\" encoding=\"GB2312\"?>\n<SearchedFile>" + blocks +
                                        "</SearchedFile>\n"));
    kel_test::WriteFile(kel_test::ProgramFolder() + "/DiskFile.xml",
                        gb->fromUnicode("<?xml version=\"1.0\" encoding=\"GB2312\"?>\n<DiskInfos>" + diskList +
                                        "</DiskInfos>\n"));

    Dialogs dialogs(nullptr);
    // A close of the idle dialog ends the program: not the test's.
    const auto oldExit = Lorrimax::setExitFunction([](int) {});
    Lorrimax dialog;
    dialog.setTitleSuffix(QCoreApplication::translate("Lorrimax", "Lorrimax"));
    dialog.setDownLoadFileType(0);
    dialog.LoadSearchedFiles();
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    BatchFileModel* model = dialog.tableModel();
    ASSERT_GT(model->rowCount(), 5);
    // The statuses are read whole where they stand: no cell of the tables
    // may need a sideways scroll.
    walker->requireWholeCells({QStringLiteral("m_pFileView"), QStringLiteral("m_pTimeJobView")});
    Walk(&dialog, "Lorrimax, by file, waiting");
    // Every status a row can show, each failure with every reason.
    struct Shown {
        BatchFileModel::Status status;
        int percent;
        QString reason;
    };
    std::vector<Shown> statuses = {{BatchFileModel::Downloading, 99, {}}, {BatchFileModel::Downloading, 100, {}},
                                   {BatchFileModel::Completed, 0, {}},    {BatchFileModel::Incomplete, 0, {}},
                                   {BatchFileModel::Stopped, 0, {}},      {BatchFileModel::Failed, 0, {}}};
    for (const QString& reason : Lorrimax::FailureReasons()) statuses.push_back({BatchFileModel::Failed, 0, reason});
    ASSERT_GE(model->rowCount(), int(statuses.size()));
    for (int r = 0; r < model->rowCount(); ++r) {
        const Shown& s = statuses[size_t(r) % statuses.size()];
        model->setStatus(r, s.status, s.percent, s.reason);
    }
    Walk(&dialog, "Lorrimax, by file, finished");
    // The by-time page with a round of downloads, each status once.
    dialog.onTabTwo();
    QStandardItemModel* jobs = dialog.timeJobModel();
    for (size_t i = 0; i < statuses.size(); ++i) {
        QList<QStandardItem*> row;
        for (const QString& text : {QCoreApplication::translate("CLorrimaxClass", "Time Period 4"),
                                    QString::number(i + 1), QStringLiteral("2024-03-01 08:00:00"),
                                    QStringLiteral("2024-03-01 23:59:59"),
                                    BatchFileModel::StatusText(statuses[i].status, statuses[i].percent,
                                                               statuses[i].reason)})
            row << new QStandardItem(text);
        jobs->appendRow(row);
    }
    Walk(&dialog, "Lorrimax, by time");
    dialog.close();
    Lorrimax::setExitFunction(oldExit);
}

// The uninstaller's two pages.
TEST_P(TextFit, UninstallerPages) {
    QTranslator own;
    ASSERT_TRUE(own.load("uninstaller_" + language, kel_test::BinaryDir() + "/bin/translations"));
    QCoreApplication::installTranslator(&own);
    QString style;
    if (Tavick::InitResource(kel_test::BinaryDir() + "/bin/rcc/guiresource.rcc", style, false))
        qApp->setStyleSheet(Skin::StyleSheet() + "\n" + style);
    appinstaller::InitUninstallResources();
    {
        appinstaller::MainWindow window;
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        window.installingPage()->onProcessInfo(60, "/opt/KEL/translations/Quillmere_zh.qm");
        Walk(&window, "Uninstaller, removing");
        window.onFinishedUnInstall();
        appinstaller::UninstallReport report;
        report.kept << "/opt/KEL/output/Download" << "/opt/KEL/output" << "/opt/KEL";
        window.completedPage()->setReport(report);
        ASSERT_EQ(window.currentPage(), window.completedPage());
        Walk(&window, "Uninstaller, done");
    }
    QCoreApplication::removeTranslator(&own);
    Skin::Apply(qApp);
    qApp->setStyleSheet(Skin::StyleSheet());
}

// The message boxes, questions and notices of the programs, with some of
// their longest texts.
TEST_P(TextFit, MessageBoxesAndNotices) {
    Catalogue kel("Quillmere", language);
    ASSERT_TRUE(kel.loaded());
    QWidget owner;
    owner.resize(kWindow);
    owner.show();
    auto t = [](const char* context, const char* text) { return QCoreApplication::translate(context, text); };
    const QStringList icons = {":/CommonSkin/Dialog/Images/Public/Control/Dialog/icon_alert_ok_large.png",
                               ":/CommonSkin/Dialog/Images/Public/Control/Dialog/icon_alert_info_large.png",
                               ":/CommonSkin/Dialog/Images/Public/Control/Dialog/icon_alert_error_large.png"};
    // Each box is walked while it runs, then closed.
    auto walkModal = [&](const QString& where, const std::function<void()>& open) {
        bool seen = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            QWidget* box = QApplication::activeModalWidget();
            if (!box || !box->isVisible()) return;
            poll.stop();
            Walk(box, where);
            seen = true;
            if (auto* d = qobject_cast<QDialog*>(box)) d->reject();
        });
        poll.start(50);
        open();
        EXPECT_TRUE(seen) << where.toStdString();
    };
    walkModal("Exit question", [&] {
        ziraz::WarningDlg::CheckMessageInfo(t("Quillmere", "Hint"), t("Quillmere", "Exit the KEL4.0 software?"), &owner);
    });
    walkModal("Warning", [&] {
        ziraz::WarningDialog::showWarningDialog(0, 2, t("SearchBarWidget", "TimeRange Less Than 1Day."), &owner, nullptr,
                                                nullptr, icons, QSize(310, 120));
    });
    walkModal("Message", [&] {
        ziraz::WarningDlg::ShowMessageInfo(t("CPlaybackDownLoad", "Error"),
                                           t("CPlaybackDownLoad", "Disk space is not enough. At least 2G disk space is need."),
                                           &owner);
    });
    walkModal("Second start", [&] {
        ziraz::WarningDialog::showWarningDialog(
            0, 1, RunningInstanceText(QStringLiteral("KEL")), nullptr, nullptr, nullptr, icons, QSize(420, 160));
    });
    // Notices: a long saved path (in folders deep enough to be shortened,
    // the file's name whole), then another while it stays.
    const QString path = kel_test::ProgramFolder() +
                         "/output/Download/Evidence of the depot inspection 2024-03-01/Vehicle 12 front cameras/"
                         "Downloads/ch01_20240301080000_20240301080059_Disk1(E)_partial_(2).mp4";
    ziraz::InformationDlg::ShowInformationAtScreenRightBottom(path, &owner, true, true, false);
    ziraz::InformationDlg::ShowInformationAtScreenRightBottom(t("CPlaybackDownLoad", "DownLoad Exception."), &owner,
                                                              false, true, false);
    Settle(300);
    const QList<ziraz::InformationDlg*> notices = owner.findChildren<ziraz::InformationDlg*>();
    ASSERT_EQ(notices.size(), 2);
    for (ziraz::InformationDlg* n : notices) Walk(n, "Notice");
    // Two notices open together do not cover each other.
    EXPECT_FALSE(notices[0]->frameGeometry().intersects(notices[1]->frameGeometry()));
    for (ziraz::InformationDlg* n : notices) n->close();
}

INSTANTIATE_TEST_SUITE_P(Languages, TextFit, ::testing::Values("en", "zh"),
                         [](const ::testing::TestParamInfo<const char*>& info) { return std::string(info.param); });

}  // namespace
