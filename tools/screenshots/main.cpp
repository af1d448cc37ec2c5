// kel-screenshots: renders the pages of the KEL main window offscreen into
// PNG files, over the sample media the drive table (KEL_DRIVES) names.
//
//   kel-screenshots <output folder> [<width> <height>]
//
// The program folder is KEL_HOME, as for KEL itself. The Playback and
// Evidence pages search today's recordings of every disk and play the first
// channel found before they are taken.
#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QStandardItemModel>
#include <QStackedWidget>
#include <QTest>
#include <QTextStream>
#include <QToolButton>
#include <QTranslator>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "KelStartup.h"
#include "Skin.h"
#include "ziraz/ziraz.h"
#include "OperateSelWidget.h"
#include "PlaybackControlArea.h"
#include "Quillmere.h"
#include "SearchBarWidget.h"
#include "ChaseTree.h"
#include "PictureShowView.h"
#include "PictureShowLabel.h"
#include "SearchBarWidgetForm.h"

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

// Searches the ticked disks and plays the first channel that was found.
void SearchAndPlay(QWidget* searchBar) {
    auto* panel = qobject_cast<SearchBarWidget*>(searchBar);
    if (!panel) return;
    Ui::SearchBarWidget* form = panel->form();
    form->btnSearchRecord->click();
    if (!WaitFor([&] { return form->btnSearchRecord->isEnabled(); }, 120000)) {
        std::fprintf(stderr, "kel-screenshots: the search did not end\n");
        return;
    }
    QAbstractItemModel* model = form->treeRecordFileList->treeView()->model();
    if (!model || model->rowCount() == 0) return;
    form->treeRecordFileList->expandAll();
    const QModelIndex channel = model->index(0, 0, model->index(0, 0));
    if (channel.isValid()) emit panel->signalItemDoubleClickedMessage(channel);
    Settle(4000);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 4) {
        std::fprintf(stderr, "usage: kel-screenshots <output folder> [<width> <height>]\n");
        return 2;
    }
    if (!getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    KelStartup::PrepareEnvironment();
    QApplication app(argc, argv);
    const QString out = QString::fromLocal8Bit(argv[1]);
    const int width = argc == 4 ? std::atoi(argv[2]) : 1280;
    const int height = argc == 4 ? std::atoi(argv[3]) : 800;
    if (!QDir().mkpath(out)) {
        std::fprintf(stderr, "kel-screenshots: cannot make %s\n", qPrintable(out));
        return 1;
    }
    KelStartup::LoadSettings();
    // As the program shows itself: its skin and its English texts.
    Skin::Apply(&app);
    QTranslator texts;
    if (texts.load(QStringLiteral("Quillmere_en"), ziraz::GetTargetPath() + QStringLiteral("translations")))
        app.installTranslator(&texts);

    Quillmere window;
    window.resize(width, height);
    window.show();
    Settle(500);

    struct Page {
        int button;
        const char* file;
        QWidget* searchBar;
    };
    const Page pages[] = {
        {0, "playback.png", window.playbackSearchBar()},
        {1, "evidence.png", window.evidenceSearchBar()},
        {2, "track.png", nullptr},
        {3, "log.png", nullptr},
        {4, "alarm.png", nullptr},
        {5, "settings.png", nullptr},
    };
    int failures = 0;
    for (const Page& page : pages) {
        QTest::mouseClick(window.operateSelWidget()->button(page.button), Qt::LeftButton);
        Settle(300);
        if (page.searchBar) SearchAndPlay(page.searchBar);
        const QString path = out + "/" + page.file;
        if (!window.grab().save(path, "PNG")) {
            std::fprintf(stderr, "kel-screenshots: cannot write %s\n", qPrintable(path));
            ++failures;
        }
    }
    // Leave the playback windows before the window goes.
    for (QWidget* area : {window.playbackControlArea(), window.evidenceControlArea()})
        if (auto* a = qobject_cast<PlaybackControlArea*>(area)) a->stopAll();
    return failures == 0 ? 0 : 1;
}
