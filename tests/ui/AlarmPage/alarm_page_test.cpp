// SPDX-License-Identifier: GPL-3.0-or-later
// The alarm page over a generated medium: disk paths, the refusals of a
// query, a day's alarms listed with their types and times, CSV export of the
// ticked rows, and the clip viewer opened on the alarm's span.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTreeView>

#include <algorithm>

#include "search/AlarmClipSearchThread.h"
#include "AlarmPage/AlarmModels.h"
#include "AlarmPage/AlarmWidget.h"
#include "AlarmPage/CaptureView.h"
#include "AlarmPage/CustomPlayerFrame.h"
#include "AlarmPage/VideoView.h"
#include "Playback/PlayBackInteraction.h"
#include "storage/Settings.h"
#include "common/MultiCheckCombox.h"
#include "kel_test/page_media.h"
#include "platform/fallowin/mp4_probe.h"
#include "ziraz/itemviews.h"
#include "ziraz/datetimeedit.h"
#include "ziraz/dialogs.h"

namespace {

using APT_QMR::DownloadAllDone;
using APT_QMR::DownloadDiskSpaceLow;
using APT_QMR::DownloadFailed;
using APT_QMR::DownloadStarted;

QDateTime RecorderDay(uint32_t seconds) {
    const QDateTime utc = QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC);
    return QDateTime(utc.date(), utc.time(), Qt::LocalTime);
}

// Answers every dialog; a wait dialog is held until it is closed by the
// report it waits for, as the real modal loop would be.
struct Dialogs {
    Dialogs()
        : presenter([this](const ziraz::DialogCall& call) -> std::optional<int> {
              calls.push_back(call);
              if (call.kind == ziraz::DialogKind::Modal && qobject_cast<ziraz::ChaseDialog*>(call.dialog)) {
                  bool done = false;
                  QMetaObject::Connection c =
                      QObject::connect(call.dialog, &QDialog::finished, [&done] { done = true; });
                  EXPECT_TRUE(kel_test::WaitUntil([&] { return done; }, 300));
                  QObject::disconnect(c);
              }
              return 1;
          }) {}
    QStringList Texts(ziraz::DialogKind kind) const {
        QStringList out;
        for (const auto& c : calls)
            if (c.kind == kind) out << c.text;
        return out;
    }
    std::vector<ziraz::DialogCall> calls;
    ziraz::ScopedDialogPresenter presenter;
};

void Tick(QStandardItemModel* model, int row) { model->setData(model->index(row, 0), Qt::Checked, Qt::CheckStateRole); }

void TickAll(QStandardItemModel* model) {
    for (int r = 0; r < model->rowCount(); ++r) Tick(model, r);
}

}  // namespace

TEST(AlarmPage, DiskPathsFollowTheDrivesAndTheirLetters) {
    page_test::MediaSet media;
    ASSERT_TRUE(media.Add(3, 'E'));
    ASSERT_TRUE(media.Add(4, 0));
    CAlarmWidget page;
    EXPECT_EQ(page.getDiskPaths(), (QStringList{"E:\\", "\\\\.\\PHYSICALDRIVE2"}));
}

TEST(AlarmPage, QueryNeedsAChannelAndAType) {
    CSettingsStore::GetInstance()->SetValueText(SettingKey::ChannelNum, "2");
    CAlarmWidget page;
    Dialogs d;
    page.onQueryBtn();
    EXPECT_EQ(d.Texts(ziraz::DialogKind::MessageInfo), QStringList{"PleaseSeleJuzmqbfo"});
    d.calls.clear();
    Tick(page.channelModel(), 0);
    page.onQueryBtn();
    EXPECT_EQ(d.Texts(ziraz::DialogKind::MessageInfo), QStringList{"PleaseSelectAlarmTypegNJVOICO"});
    d.calls.clear();
    page.onExportBtn();
    EXPECT_EQ(d.Texts(ziraz::DialogKind::MessageInfo), QStringList{"NoDataCanBeExported"});
}

// The "All" box in the head of each check list ticks and unticks every row,
// and the combo box's head shows the ticked entries.
TEST(AlarmPage, AllBoxesTickEveryRowOfTheirList) {
    CSettingsStore::GetInstance()->SetValueText(SettingKey::ChannelNum, "4");
    CAlarmWidget page;
    page.show();
    struct Case {
        const char* name;
        QStandardItemModel* model;
        int rows;
    };
    const Case cases[] = {
        {"m_pChannelWidget", page.channelModel(), 4},
        {"m_pAlarmTypeWidget", page.alarmTypeModel(), 15},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto* combo = page.findChild<CMultiCheckCombox*>(c.name);
        ASSERT_TRUE(combo);
        ASSERT_EQ(combo->model(), c.model);
        ASSERT_EQ(c.model->rowCount(), c.rows);
        combo->onClickArrowBtn();
        ziraz::CheckHeaderView* header = combo->view()->checkHeader();
        ASSERT_TRUE(kel_test::WaitUntil([&] { return header->isVisible(); }));
        const QRect section(header->sectionViewportPosition(0), 0, header->sectionSize(0), header->height());
        const QPoint box(section.x() + 8, section.center().y());
        for (const Qt::CheckState want : {Qt::Checked, Qt::Unchecked}) {
            QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, box);
            EXPECT_EQ(header->checkState(), want);
            int ticked = 0;
            for (int r = 0; r < c.rows; ++r)
                ticked += c.model->index(r, 0).data(Qt::CheckStateRole).toInt() == Qt::Checked;
            EXPECT_EQ(ticked, want == Qt::Checked ? c.rows : 0);
            EXPECT_EQ(combo->checkedIndexes().size(), want == Qt::Checked ? c.rows : 0);
            const QStringList shown = combo->shownTexts();
            if (want == Qt::Checked) {
                ASSERT_FALSE(shown.isEmpty());
                EXPECT_EQ(shown.first(), c.model->index(0, 0).data().toString());
            } else {
                EXPECT_TRUE(shown.isEmpty());
            }
        }
        // A row ticked on its own leaves the box partly ticked.
        c.model->setData(c.model->index(0, 0), Qt::Checked, Qt::CheckStateRole);
        EXPECT_EQ(header->checkState(), Qt::PartiallyChecked);
        c.model->setData(c.model->index(0, 0), Qt::Unchecked, Qt::CheckStateRole);
    }
}

TEST(AlarmPage, ListsTheAlarmsOfADayExportsAndOpensTheClip) {
    page_test::MediaSet media;
    page_test::Medium* m = media.Add(11, 'E', [](recmedia::MediaSpec& spec) {
        spec.indexOnly = false;  // recordings for the clip viewer
        spec.perDay = 3;
        // Real pictures: the saved clips are decoded.
        spec.fast = false;
        spec.repeatGop = true;
        spec.width = 176;
        spec.height = 144;
    });
    ASSERT_TRUE(m);
    ASSERT_FALSE(m->info.events.empty());
    CSettingsStore::GetInstance()->SetValueText(SettingKey::DownloadSavePath, kel_test::ProgramFolder() + "/dl");
    CSettingsStore::GetInstance()->SetValueText(SettingKey::ChannelNum, "2");

    CAlarmWidget page;
    page.resize(1280, 700);
    page.show();
    Dialogs d;
    TickAll(page.channelModel());
    TickAll(page.alarmTypeModel());
    page.ui()->m_pRangeDateTimeEdit->setDateTimeRange(RecorderDay(m->info.firstDay),
                                                      RecorderDay(m->info.firstDay + 86399));
    page.onQueryBtn();
    CAlarmCheckedModel* model = page.alarmModel();
    ASSERT_GT(model->rowCount(), 0) << d.Texts(ziraz::DialogKind::Warning).join("|").toStdString();
    EXPECT_TRUE(d.Texts(ziraz::DialogKind::Warning).isEmpty());
    EXPECT_LE(model->rowCount(), static_cast<int>(m->info.events.size()));
    // The rows stand in the order the header's arrow shows: by time.
    QTreeView* table = page.ui()->m_pMultiPageTreeView->GetTableView();
    EXPECT_EQ(table->header()->sortIndicatorSection(), 1);
    EXPECT_EQ(table->header()->sortIndicatorOrder(), Qt::AscendingOrder);
    for (int r = 1; r < model->rowCount(); ++r)
        EXPECT_LE(model->index(r - 1, 1).data().toString(), model->index(r, 1).data().toString()) << r;
    // The times show whole in their column.
    EXPECT_GE(table->columnWidth(1), static_cast<QAbstractItemView*>(table)->sizeHintForColumn(1));
    for (int r = 0; r < model->rowCount(); ++r) {
        const QModelIndex action = model->index(r, 4);
        const int channel = action.data(alarmroles::kNumberRole).toInt();
        EXPECT_EQ(model->index(r, 2).data().toString(), "Channel" + QString::number(channel));
        EXPECT_EQ(model->index(r, 3).data().toString(),
                  model->GetAlarmTypeName(static_cast<int>(action.data(alarmroles::kAlarmTypeRole).toUInt())));
        const QDateTime start = QDateTime::fromSecsSinceEpoch(
            static_cast<qint64>(action.data(alarmroles::kAlarmStartRole).toDouble()), Qt::UTC);
        EXPECT_TRUE(model->index(r, 1).data().toString().startsWith(start.toString("yyyy.MM.dd hh:mm:ss") + "-"));
    }

    // Export: nothing ticked, then rows 0 and 2 (when there are three).
    d.calls.clear();
    page.onExportBtn();
    EXPECT_EQ(d.Texts(ziraz::DialogKind::MessageInfo), QStringList{"SelectExportContentpbiCojov"});
    Tick(model, 0);
    const int second = model->rowCount() > 2 ? 2 : -1;
    if (second > 0) Tick(model, second);
    const QString csv = kel_test::ProgramFolder() + "/alarms.csv";
    {
        // The header is written in the operator's language.
        kel_test::ScopedCatalogue english{QStringLiteral("en")};
        ASSERT_TRUE(english.loaded());
        ASSERT_TRUE(page.exportCsv(csv));
    }
    QStringList lines = QString::fromUtf8(kel_test::ReadFile(csv)).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), second > 0 ? 3 : 2);
    EXPECT_EQ(lines[0], "Time of Occurrence,Alarm Channel,Alarm Type");
    EXPECT_EQ(lines[1], model->index(0, 1).data().toString() + "," + model->index(0, 2).data().toString() + "," +
                            model->index(0, 3).data().toString());
    EXPECT_FALSE(page.exportCsv(kel_test::ProgramFolder() + "/missing/dir/a.csv"));

    // The clip of an alarm: the viewer gets the recordings that hold its start.
    const QModelIndex action = model->index(0, 4);
    page.onClickAction(action, ziraz::LiveViewActionRole);
    EXPECT_EQ(page.alarmStart(), static_cast<time_t>(action.data(alarmroles::kAlarmStartRole).toDouble()));
    CVideoView& view = page.videoView();
    APT_QMR::CPlayBackInteraction* playback = view.playback();
    ASSERT_TRUE(kel_test::WaitUntil([&] { return !playback->GetFileList().empty(); }, 300));
    for (const APT_QMR::CSingleFile* f : playback->GetFileList()) {
        EXPECT_LE(static_cast<time_t>(f->StartTime), page.alarmStart());
        EXPECT_GE(static_cast<time_t>(f->EndTime), page.alarmStart());
    }
    EXPECT_EQ(playback->GetChannel().GetChannelNumber(), page.alarmChannel());
    EXPECT_EQ(view.ui().m_pEndTime->text(), CVideoView::SpanText(page.alarmEnd() - page.alarmStart()));
    EXPECT_EQ(view.ui().m_pTitleLabel->text(),
              "ChannelRKQ33T39" + QString::number(page.alarmChannel()) + "-" + model->index(0, 3).data().toString());
    EXPECT_TRUE(view.isPlaying());
    // While it plays, the "NoVideo" sign is gone from the picture.
    EXPECT_TRUE(view.ui().m_pVideoPlayFrame->ui().m_pNoVideoContainerWidget->isHidden());
    EXPECT_FALSE(view.ui().m_pVideoPlayFrame->ui().m_pNoVideoLabel->isVisible());
    playback->StopPlayback();

    // Download of the span into the alarm video folder.
    std::vector<int> codes;
    QObject::connect(&view.downloader(), &APT_QMR::CStreamDownloader::DownloadSignal, &view,
                     [&codes](int code, int, int) { codes.push_back(code); });
    d.calls.clear();
    view.onDownLoadBtn();
    // The start's own reports (path, code 0) come through the downloader's
    // queue; the worker's may overtake them on a loaded machine.
    ASSERT_TRUE(kel_test::WaitUntil(
        [&] {
            bool started = false, ended = false;
            for (int c : codes) {
                started = started || c == DownloadStarted;
                ended = ended || c == DownloadAllDone || c == DownloadFailed || c == DownloadDiskSpaceLow;
            }
            return started && ended;
        },
        300));
    QString trace;
    for (int c : codes) trace += QString::number(c) + " ";
    EXPECT_NE(std::find(codes.begin(), codes.end(), DownloadAllDone), codes.end()) << trace.toStdString();
    EXPECT_TRUE(view.downloadedFile().startsWith(kel_test::ProgramFolder() + "/dl/AlarmVideo/ch0"));
    EXPECT_TRUE(view.downloadedFile().endsWith(".mp4")) << trace.toStdString();
    EXPECT_GT(QFileInfo(view.downloadedFile()).size(), 0);
    EXPECT_TRUE(view.ui().m_pDownloadBtn->isEnabled()) << trace.toStdString();
    // One notice for the one clip saved (its own end and the job's end both
    // name it), with its path.
    EXPECT_EQ(d.Texts(ziraz::DialogKind::Information), QStringList{view.downloadedFile()});

    // The same clip again: the first one stays as it was, the second goes
    // beside it, and both play from their first frame.
    const QString firstClip = view.downloadedFile();
    const QByteArray firstBytes = kel_test::ReadFile(firstClip);
    codes.clear();
    view.onDownLoadBtn();
    ASSERT_TRUE(kel_test::WaitUntil(
        [&] {
            return std::any_of(codes.begin(), codes.end(), [](int c) {
                return c == DownloadAllDone || c == DownloadFailed || c == DownloadDiskSpaceLow;
            });
        },
        300));
    EXPECT_NE(std::find(codes.begin(), codes.end(), DownloadAllDone), codes.end());
    const QString secondClip = view.downloadedFile();
    EXPECT_EQ(secondClip, firstClip.left(firstClip.size() - 4) + " (1).mp4");
    EXPECT_EQ(kel_test::ReadFile(firstClip), firstBytes);
    for (const QString& clip : {firstClip, secondClip}) {
        const bool mp4 = kel_test::ReadFile(clip).mid(4, 4) == "ftyp";   // else the recorder's own stream
        const kel_test::Mp4Probe probe = kel_test::ProbeMp4(clip.toStdString(), true, !mp4);
        EXPECT_TRUE(probe.opened) << clip.toStdString();
        EXPECT_GT(probe.decodedFrames, 0) << clip.toStdString();
        EXPECT_EQ(probe.decodeErrors, 0) << clip.toStdString();
    }

    // The picture of an alarm: the viewer is titled and run once the copy ends.
    d.calls.clear();
    page.onClickAction(action, ziraz::PictureActionRole);
    ASSERT_TRUE(page.captureView());
    ASSERT_TRUE(kel_test::WaitUntil(
        [&] {
            for (const auto& c : d.calls)
                if (c.kind == ziraz::DialogKind::Modal && c.dialog == page.captureView()) return true;
            return false;
        },
        300));
    EXPECT_EQ(page.captureView()->ui()->m_pTitleLabel->text(), view.ui().m_pTitleLabel->text());
}

// At the smallest window the page's top row shows every text whole and
// every control inside the page.
TEST(AlarmPage, TopRowShowsWholeTextsAtTheSmallestWindow) {
    // The desktop's usual font, whatever the test platform's is.
    const QFont platformFont = QApplication::font();
    QFont desktop = platformFont;
    desktop.setPixelSize(12);
    QApplication::setFont(desktop);
    struct Restore {
        QFont font;
        ~Restore() { QApplication::setFont(font); }
    } restore{platformFont};
    CAlarmWidget page;
    const int pageWidth = 1270 - 70 - 24;  // the page beside the navigation column, inside its margins
    page.resize(pageWidth, 700);
    page.show();
    QApplication::processEvents();
    EXPECT_EQ(page.width(), pageWidth) << "the page asks for more than the smallest window has";
    for (const char* name : {"m_pStartStopTimeLabel", "m_pChannelLabel", "m_pAlarmTypeLabel", "m_pQueryBtn",
                             "m_pResetBtn", "m_pExportBtn", "m_pRangeDateTimeEdit"}) {
        SCOPED_TRACE(name);
        auto* w = page.findChild<QWidget*>(name);
        ASSERT_NE(w, nullptr);
        QString text;
        int room = w->contentsRect().width();
        if (auto* label = qobject_cast<QLabel*>(w)) text = label->text();
        if (auto* button = qobject_cast<QAbstractButton*>(w)) text = button->text();
        if (auto* edit = qobject_cast<QLineEdit*>(w)) {
            text = edit->text();
            room -= edit->textMargins().left() + edit->textMargins().right() + 2 * 2;  // beside the text
        }
        ASSERT_FALSE(text.isEmpty());
        EXPECT_LE(w->fontMetrics().horizontalAdvance(text), room);
        const QRect inPage(w->mapTo(&page, QPoint(0, 0)), w->size());
        EXPECT_TRUE(page.rect().contains(inPage)) << "outside the page";
    }
    // The controls of the top row stand apart, left to right.
    int right = -1;
    for (const char* name : {"m_pStartStopTimeLabel", "m_pRangeDateTimeEdit", "m_pChannelLabel", "m_pChannelWidget",
                             "m_pQueryBtn", "m_pResetBtn", "m_pExportBtn"}) {
        SCOPED_TRACE(name);
        auto* w = page.findChild<QWidget*>(name);
        ASSERT_NE(w, nullptr);
        const int x = w->mapTo(&page, QPoint(0, 0)).x();
        EXPECT_GT(x, right) << "overlaps the control before";
        right = x + w->width() - 1;
    }
}

namespace {

// An exported list is always a ".csv" file: a name typed without the
// extension gets it.
TEST(AlarmPage, ExportNamesEndInCsv) {
    const struct {
        const char* typed;
        const char* written;
    } cases[] = {
        {"/tmp/alarms", "/tmp/alarms.csv"},     {"/tmp/alarms.csv", "/tmp/alarms.csv"},
        {"/tmp/alarms.CSV", "/tmp/alarms.CSV"}, {"/tmp/day.1.txt", "/tmp/day.1.txt.csv"},
        {" /tmp/a ", "/tmp/a.csv"},             {"", ""},
        {"/tmp/folder/", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        EXPECT_EQ(CAlarmWidget::CsvFileName(QString::fromLatin1(c.typed)), QString::fromLatin1(c.written));
    }
}

}  // namespace
