// SPDX-License-Identifier: GPL-3.0-or-later
// kel-screenshots: takes pictures of KEL's pages, pop-ups and dialogs over
// the sample media that the drive table (KEL_DRIVES) names, with their
// results filled, into PNG files.
//
//   kel-screenshots [--only NAME,...] [--list] <output folder> [<width> <height>]
//
// The program folder is KEL_HOME and the language is that of its
// "setup.xml", as for KEL itself. On an X display (DISPLAY set and
// QT_QPA_PLATFORM unset or "xcb") the pictures are taken from the screen, so
// they show the program as the display draws it: run it on a virtual display
// the size of the window (scripts/screenshots.sh does). Elsewhere the window
// is rendered offscreen. The search pages search today's recordings of every
// disk and play what they found; the Log and Alarm pages search today's logs
// and alarms of the first disk. On a display the batch downloader is shown
// too, as the search panel's Download starts it.
#include <QAbstractItemView>
#include <QApplication>
#include <QDateTime>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QMenu>
#include <QPainter>
#include <QProcess>
#include <QScreen>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>

#include "AlarmPage/AlarmModels.h"
#include "AlarmPage/AlarmWidget.h"
#include "AlarmPage/CaptureView.h"
#include "SearchBar/ChaseTree.h"
#include "Quillmere/KelStartup.h"
#include "LogPage/LogDiskBox.h"
#include "LogPage/LogWidget.h"
#include "Quillmere/OperateSelWidget.h"
#include "PlayControlBar/PlayControlBar.h"
#include "Download/PlaybackDownLoad.h"
#include "PlaybackWindow/PlaybackControlArea.h"
#include "PlaybackWindow/PlaybackGridModel.h"
#include "PlaybackWindow/PlaybackWindow.h"
#include "Quillmere/Quillmere.h"
#include "SearchBar/SearchBarWidget.h"
#include "SearchBar/SearchBarWidgetForm.h"
#include "PlaybackWindow/SinglePlaybackWindow.h"
#include "PlayBackPage/TimeVehicleDataWidget/TimeVehicleDataWidget.h"
#include "Quillmere/TitleBar.h"
#include "PlaybackWindow/VideoCutWidget.h"
#include "AlarmPage/VideoView.h"
#include "common/Skin.h"
#include "caldrune/caldrune.h"
#include "ziraz/datetimeedit.h"
#include "ziraz/itemviews.h"
#include "ziraz/ziraz.h"

namespace {

bool WaitFor(const std::function<bool()>& done, int ms) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

void Settle(int ms) { WaitFor([] { return false; }, ms); }

bool OnScreen() { return QGuiApplication::platformName() == QLatin1String("xcb"); }

class Camera {
public:
    Camera(QWidget* window, const QString& folder, const QStringList& only)
        : m_window(window), m_folder(folder), m_only(only) {}

    bool wanted(const char* name) const { return m_only.isEmpty() || m_only.contains(QLatin1String(name)); }
    int failures() const { return m_failures; }

    // The window as the operator sees it, with whatever pop-up or dialog
    // lies over it.
    void shoot(const char* name) {
        if (!wanted(name)) return;
        Settle(150);
        QPixmap picture;
        if (OnScreen()) {
            QScreen* screen = m_window->screen();
            const QRect r = m_window->frameGeometry();
            picture = screen->grabWindow(0, r.x(), r.y(), r.width(), r.height());
        } else {
            picture = m_window->grab();
            QPainter painter(&picture);
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (w == m_window || !w->isVisible() || w->geometry().isEmpty()) continue;
                painter.drawPixmap(w->geometry().topLeft() - m_window->geometry().topLeft(), w->grab());
            }
        }
        const QString path = m_folder + "/" + QLatin1String(name) + ".png";
        if (picture.isNull() || !picture.save(path, "PNG")) {
            std::fprintf(stderr, "kel-screenshots: cannot write %s\n", qPrintable(path));
            ++m_failures;
        } else {
            std::printf("%s\n", qPrintable(path));
            std::fflush(stdout);
        }
    }

    // Runs `open`, which may enter a modal loop of its own; once `target`
    // names a shown widget it is given `settleMs` to draw, shot and closed.
    void shootDialog(const char* name, const std::function<void()>& open, const std::function<QWidget*()>& target,
                     int settleMs = 800) {
        if (!wanted(name)) return;
        bool done = false;
        QElapsedTimer seen;
        QTimer poll;
        poll.setInterval(50);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            QWidget* w = target();
            if (!w || !w->isVisible()) return;
            if (!seen.isValid()) seen.start();
            if (seen.elapsed() < settleMs) return;
            poll.stop();
            shoot(name);
            if (auto* dialog = qobject_cast<QDialog*>(w)) dialog->reject();
            else w->close();
            done = true;
        });
        poll.start();
        open();
        if (!WaitFor([&] { return done; }, 60000)) {
            std::fprintf(stderr, "kel-screenshots: %s did not open\n", name);
            ++m_failures;
        }
        poll.stop();
    }

private:
    QWidget* m_window;
    QString m_folder;
    QStringList m_only;
    int m_failures = 0;
};

// Searches the ticked disks; false when nothing was found.
bool Search(SearchBarWidget* panel) {
    Ui::SearchBarWidget* form = panel->form();
    form->btnSearchRecord->click();
    if (!WaitFor([&] { return form->btnSearchRecord->isEnabled(); }, 120000)) {
        std::fprintf(stderr, "kel-screenshots: the search did not end\n");
        return false;
    }
    QAbstractItemModel* model = form->treeRecordFileList->treeView()->model();
    return model && model->rowCount() > 0;
}

// Plays every channel of device `device` of the result tree from window
// `first` on.
void PlayDevice(SearchBarWidget* panel, PlaybackWindow* grid, int device, int first) {
    QAbstractItemModel* model = panel->form()->treeRecordFileList->treeView()->model();
    if (!model || device >= model->rowCount()) return;
    grid->onSelectedPlaybackWnd(first);
    emit panel->signalItemDoubleClickedMessage(model->index(device, 0));
}

// Plays the channels of the first device one by one, from window `first` on.
void PlayChannels(SearchBarWidget* panel, PlaybackWindow* grid, int first) {
    QAbstractItemModel* model = panel->form()->treeRecordFileList->treeView()->model();
    if (!model || model->rowCount() == 0) return;
    const QModelIndex device = model->index(0, 0);
    for (int c = 0; c < model->rowCount(device) && first + c < 16; ++c) {
        grid->onSelectedPlaybackWnd(first + c);
        emit panel->signalItemDoubleClickedMessage(model->index(c, 0, device));
    }
}

// Shows a few file rows of the first channel of every device.
void OpenFirstChannels(SearchBarWidget* panel) {
    QTreeView* tree = panel->form()->treeRecordFileList->treeView();
    QAbstractItemModel* model = tree->model();
    if (!model) return;
    for (int d = 0; d < model->rowCount(); ++d) tree->expand(model->index(0, 0, model->index(d, 0)));
}

void ClickNavigation(Quillmere& window, int button) {
    QTest::mouseClick(window.operateSelWidget()->button(button), Qt::LeftButton);
    Settle(300);
}

QDateTime Today(int h, int m, int s) { return QDateTime(QDate::currentDate(), QTime(h, m, s)); }

void TickAll(QStandardItemModel* model) {
    for (int r = 0; r < model->rowCount(); ++r) model->setData(model->index(r, 0), Qt::Checked, Qt::CheckStateRole);
}

int FirstLetterItem(CLogDiskBox* box) {
    for (int i = 0; i < box->count(); ++i)
        if (box->itemText(i).contains(QLatin1String(":\\"))) return i;
    return box->count() > 0 ? 0 : -1;
}

}  // namespace

int main(int argc, char** argv) {
    QStringList only;
    std::vector<char*> rest;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--only") == 0 && i + 1 < argc) {
            only = QString::fromLocal8Bit(argv[++i]).split(',', Qt::SkipEmptyParts);
        } else if (std::strcmp(argv[i], "--list") == 0) {
            std::puts(
                "playback layout-menu playback-9 playback-16 vehicle-data gravity download clip batch evidence "
                "log alarm alarm-picture alarm-clip settings about");
            return 0;
        } else {
            rest.push_back(argv[i]);
        }
    }
    if (rest.size() != 1 && rest.size() != 3) {
        std::fprintf(stderr, "usage: kel-screenshots [--only NAME,...] [--list] <output folder> [<width> <height>]\n");
        return 2;
    }
    const bool display = qEnvironmentVariableIsSet("DISPLAY");
    if (!getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", display ? "xcb" : "offscreen", 1);
    KelStartup::PrepareEnvironment();
    const QString out = QString::fromLocal8Bit(rest[0]);
    const int width = rest.size() == 3 ? std::atoi(rest[1]) : 1280;
    const int height = rest.size() == 3 ? std::atoi(rest[2]) : 800;

    // The program's own start: its set-up file, language, skin and settings.
    apt::ToolApplicationHull* hull = apt::ToolApplicationHull::instance();
    hull->initialize(argc, argv, "Quillmere", "setup.xml", true);
    if (!hull->startApp()) {
        std::fprintf(stderr, "kel-screenshots: KEL runs in this program folder already\n");
        return 1;
    }
    if (!QDir().mkpath(out)) {
        std::fprintf(stderr, "kel-screenshots: cannot make %s\n", qPrintable(out));
        return 1;
    }
    hull->setAppName(QObject::tr("KEL4.3"));
    KelStartup::LoadSettings();
    Skin::Apply(hull->application());

    int failures = 0;
    {
        Quillmere window;
        window.move(0, 0);
        window.resize(width, height);
        window.show();
        window.activateWindow();
        Settle(800);
        Camera camera(&window, out, only);

        auto* playbackArea = qobject_cast<PlaybackControlArea*>(window.playbackControlArea());
        auto* playbackPanel = qobject_cast<SearchBarWidget*>(window.playbackSearchBar());
        PlaybackWindow* grid = playbackArea ? playbackArea->playbackWindow() : nullptr;
        auto* vehicle = qobject_cast<TimeVehicleDataWidget*>(window.vehicleDataPanel());

        // Playback: four windows playing the first disk's channels.
        ClickNavigation(window, 0);
        const bool found = playbackPanel && grid && Search(playbackPanel);
        if (found) {
            PlayDevice(playbackPanel, grid, 0, 0);
            OpenFirstChannels(playbackPanel);
            Settle(4000);
        }
        camera.shoot("playback");
        if (playbackArea) {
            PlayControlBar* bar = playbackArea->controlBar();
            if (camera.wanted("layout-menu")) {
                bar->onLayout();
                Settle(500);
                camera.shoot("layout-menu");
                bar->layoutMenu()->hide();
            }
            if (found && (camera.wanted("playback-9") || camera.wanted("playback-16"))) {
                emit bar->nineScreenSplit();
                PlayChannels(playbackPanel, grid, 4);
                Settle(3000);
                camera.shoot("playback-9");
                emit bar->sixteenScreenSplit();
                Settle(1500);
                camera.shoot("playback-16");
                emit bar->fourScreenSplit();
                grid->onSelectedPlaybackWnd(0);
                Settle(500);
            }
            if (vehicle) {
                vehicle->tabWidget()->setCurrentIndex(1);
                Settle(1500);
                camera.shoot("vehicle-data");
                vehicle->tabWidget()->setCurrentIndex(2);
                Settle(1500);
                camera.shoot("gravity");
                vehicle->tabWidget()->setCurrentIndex(0);
            }
            if (found && !grid->cells().isEmpty()) {
                SinglePlaybackWindow* cell = grid->cells().first();
                camera.shootDialog(
                    "download", [cell] { cell->onDownLoad(); },
                    [] { return static_cast<QWidget*>(qobject_cast<CPlaybackDownLoad*>(QApplication::activeModalWidget())); });
                camera.shootDialog(
                    "clip", [grid] { grid->onVideoCut(); },
                    [grid] { return static_cast<QWidget*>(grid->clipDialog()); });
            }
        }

        // The batch downloader, as the panel's Download starts it with what
        // was found (a program of its own: on a display only).
        if (found && OnScreen() && camera.wanted("batch")) {
            playbackPanel->onLorrimax();
            Settle(5000);
            camera.shoot("batch");
            // Closed again; the cover over the window goes with it.
            for (QProcess* batch : playbackPanel->findChildren<QProcess*>()) {
                batch->terminate();
                if (!batch->waitForFinished(5000)) batch->kill();
            }
            Settle(500);
        }

        // Evidence: the same disks, searched and played from its own panel.
        ClickNavigation(window, 1);
        auto* evidencePanel = qobject_cast<SearchBarWidget*>(window.evidenceSearchBar());
        auto* evidenceArea = qobject_cast<PlaybackControlArea*>(window.evidenceControlArea());
        if (camera.wanted("evidence") && evidencePanel && evidenceArea && Search(evidencePanel)) {
            PlayDevice(evidencePanel, evidenceArea->playbackWindow(), 0, 0);
            OpenFirstChannels(evidencePanel);
            Settle(4000);
        }
        camera.shoot("evidence");

        // Log: today's logs of the first drive letter. (Page 2 of the navigation,
        // the track page, has no button.)
        ClickNavigation(window, 3);
        if (auto* log = qobject_cast<LogWidget*>(window.logPage()); log && camera.wanted("log")) {
            const int item = FirstLetterItem(log->ui()->diskTreeCombox);
            if (item >= 0) {
                log->ui()->diskTreeCombox->setCurrentIndex(item);
                log->ui()->rangeDateTimeEdit->setDateTimeRange(Today(0, 0, 0), Today(23, 59, 59));
                log->ui()->checkBtn->click();
                WaitFor([log] { return log->model()->rowCount() > 0; }, 60000);
                Settle(500);
            }
        }
        camera.shoot("log");

        // Alarm: today's alarms of every channel and type, and the picture
        // and clip of the first.
        ClickNavigation(window, 4);
        auto* alarms = qobject_cast<CAlarmWidget*>(window.alarmPage());
        if (alarms && (camera.wanted("alarm") || camera.wanted("alarm-picture") || camera.wanted("alarm-clip"))) {
            TickAll(alarms->channelModel());
            TickAll(alarms->alarmTypeModel());
            alarms->ui()->m_pRangeDateTimeEdit->setDateTimeRange(Today(0, 0, 0), Today(23, 59, 59));
            alarms->onQueryBtn();
            WaitFor([alarms] { return alarms->alarmModel()->rowCount() > 0; }, 60000);
            Settle(500);
        }
        camera.shoot("alarm");
        if (alarms && alarms->alarmModel()->rowCount() > 0) {
            const QModelIndex action = alarms->alarmModel()->index(0, 4);
            camera.shootDialog(
                "alarm-picture", [alarms, action] { alarms->onClickAction(action, ziraz::PictureActionRole); },
                [alarms] { return static_cast<QWidget*>(alarms->captureView()); }, 1500);
            camera.shootDialog(
                "alarm-clip", [alarms, action] { alarms->onClickAction(action, ziraz::LiveViewActionRole); },
                [alarms] { return static_cast<QWidget*>(&alarms->videoView()); }, 3000);
        }

        ClickNavigation(window, 5);
        camera.shoot("settings");

        if (camera.wanted("about")) {
            ClickNavigation(window, 0);
            TitleBar* title = window.titleBar();
            QToolButton* about = title->findChild<QToolButton*>(QStringLiteral("aboutBtn"));
            if (about) {
                QCursor::setPos(about->mapToGlobal(about->rect().center()));
                camera.shootDialog(
                    "about", [about] { about->click(); }, [] { return QApplication::activePopupWidget(); });
            }
        }

        // Leave the playback windows before the window goes.
        for (QWidget* area : {window.playbackControlArea(), window.evidenceControlArea()})
            if (auto* a = qobject_cast<PlaybackControlArea*>(area)) a->stopAll();
        failures = camera.failures();
    }
    hull->distory();
    return failures == 0 ? 0 : 1;
}
