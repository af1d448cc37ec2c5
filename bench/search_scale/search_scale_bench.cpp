// SPDX-License-Identifier: GPL-3.0-or-later
// The search panel over a disk of 16 channels x 30 days of one-minute
// recordings (about 690,000 recordings), searching one day and all 30 days:
// time from Search to the first result in the tree, time to the whole tree,
// and the longest time the GUI thread did not answer meanwhile, beside a
// plain read of the same index files.
//
//   search_scale_bench [repeats]     (default 5; every figure is the median of the
//                                   runs with min and max beside it; the stall
//                                   aim is judged on the longest of all runs)
#include <QApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "SearchBar/SearchBarWidget.h"
#include "kel_bench/figures.h"
#include "SearchBar/SearchBarWidgetForm.h"
#include "recmedia/media_plan.h"
#include "wincompat/drives.h"
#include "ziraz/datetimeedit.h"
#include "ziraz/dialogs.h"

namespace {

const QDate kFirstDay(2024, 3, 1);
const int kDays = 30;

std::string MediumFolder() {
    const char* tmp = std::getenv("TMPDIR");
    return std::string(tmp && *tmp ? tmp : "/tmp") + "/kel-search-scale-bench";
}

// Written once and kept between runs (its indexes only: the search reads
// nothing else).
bool PrepareMedium(const std::string& folder) {
    if (QFileInfo::exists(QString::fromStdString(folder + "/ready"))) return true;
    QDir(QString::fromStdString(folder)).removeRecursively();
    recmedia::MediaSpec spec;
    spec.outDir = folder;
    spec.family = 2;
    spec.channels = 16;
    spec.days = kDays;
    spec.perDay = 1440;
    spec.seconds = 60;
    spec.firstSecond = 0;
    spec.startDate = kFirstDay.toString("yyyy-MM-dd").toStdString();
    spec.indexOnly = true;
    spec.logs = spec.events = spec.pictures = spec.vehicleFiles = false;
    spec.seed = 42;
    recmedia::MediumInfo info;
    std::string error;
    if (!recmedia::WriteMedium(spec, &info, &error)) {
        std::fprintf(stderr, "medium: %s\n", error.c_str());
        return false;
    }
    FILE* f = std::fopen((folder + "/ready").c_str(), "w");
    if (f) std::fclose(f);
    return true;
}

// The reference: every day index file of the range read with plain reads.
double PlainReadMs(const std::string& folder, const QDate& first, const QDate& last, size_t* bytes) {
    QElapsedTimer t;
    t.start();
    std::vector<char> buf(1 << 20);
    *bytes = 0;
    for (QDate d = first; d <= last; d = d.addDays(1)) {
        const std::string path = folder + "/record/" + d.toString("yyyyMMdd").toStdString() + "/index.qri";
        const int fd = ::open(path.c_str(), O_RDONLY);
        if (fd < 0) continue;
        ssize_t n;
        while ((n = ::read(fd, buf.data(), buf.size())) > 0) *bytes += size_t(n);
        ::close(fd);
    }
    return t.nsecsElapsed() / 1e6;
}

struct Figures {
    double firstMs = -1, wholeMs = -1, stallMs = 0;
    int files = 0;
};

int FileRows(QStandardItemModel* model) {
    int n = 0;
    for (int d = 0; d < model->rowCount(); ++d) {
        const QModelIndex device = model->index(d, 0);
        for (int c = 0; c < model->rowCount(device); ++c) n += model->rowCount(model->index(c, 0, device));
    }
    return n;
}

Figures SearchOnce(SearchBarWidget& panel, const QDate& first, const QDate& last) {
    Figures fig;
    panel.form()->searchRangeDateTimeEdit->SetDateRange(first, last);
    QElapsedTimer clock, beat;
    QTimer heartbeat;
    heartbeat.setInterval(1);
    bool running = true;
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        const double gap = beat.nsecsElapsed() / 1e6;
        beat.restart();
        if (running) fig.stallMs = std::max(fig.stallMs, gap);
        if (fig.firstMs < 0 && panel.treeModel()->rowCount() > 0 && FileRows(panel.treeModel()) > 0)
            fig.firstMs = clock.nsecsElapsed() / 1e6;
    });
    clock.start();
    beat.start();
    heartbeat.start();
    panel.form()->btnSearchRecord->click();
    while (!(panel.form()->btnSearchRecord->isEnabled() && panel.form()->stackedWidget->currentIndex() != 2))
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    // The tree is whole once the panel left its busy page; its last rows may
    // be added by queued events of the same turn.
    QCoreApplication::processEvents();
    fig.wholeMs = clock.nsecsElapsed() / 1e6;
    running = false;
    heartbeat.stop();
    fig.files = FileRows(panel.treeModel());
    if (fig.firstMs < 0 && fig.files > 0) fig.firstMs = fig.wholeMs;
    return fig;
}

}  // namespace

int main(int argc, char** argv) {
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("KEL_HOME", home.path().toLocal8Bit());
    const std::string folder = MediumFolder();
    if (!PrepareMedium(folder)) return 1;
    const QString table = home.path() + "/drives.txt";
    {
        QFile f(table);
        if (!f.open(QIODevice::WriteOnly)) return 1;
        f.write(QString("disk 1 %1\nletter E 1 removable vfat %1\n").arg(QString::fromStdString(folder)).toUtf8());
    }
    qputenv("KEL_DRIVES", table.toLocal8Bit());
    wincompat::ReloadDriveTable();

    QApplication app(argc, argv);
    ziraz::ScopedDialogPresenter quiet([](const ziraz::DialogCall&) -> std::optional<int> { return 0; });
    SearchBarWidget panel;
    panel.resize(315, 900);
    panel.show();
    panel.form()->radioDisk->click();
    QCoreApplication::processEvents();

    struct Range {
        const char* name;
        QDate first, last;
    } ranges[] = {{"one day", kFirstDay.addDays(15), kFirstDay.addDays(15)},
                  {"30 days", kFirstDay, kFirstDay.addDays(kDays - 1)}};
    std::printf("search panel over 16 channels x %d days of one-minute recordings, %d runs each; median (min, max); "
                "%s\n",
                kDays, repeats, kel_bench::Machine().c_str());
    constexpr double kStallAimMs = 100;
    for (const Range& r : ranges) {
        std::vector<double> first, whole, stall, files, plain;
        size_t bytes = 0;
        for (int i = 0; i < repeats; ++i) {
            const Figures f = SearchOnce(panel, r.first, r.last);
            first.push_back(f.firstMs);
            whole.push_back(f.wholeMs);
            stall.push_back(f.stallMs);
            files.push_back(f.files);
            plain.push_back(PlainReadMs(folder, r.first, r.last, &bytes));
        }
        const kel_bench::Spread longest = kel_bench::Of(stall);
        std::printf("search.%s.first_result   %s ms   reference plain read of the index files %s ms (%.1f MB)\n",
                    r.name, kel_bench::Text(kel_bench::Of(first), "%.1f").c_str(),
                    kel_bench::Text(kel_bench::Of(plain), "%.1f").c_str(), bytes / 1e6);
        std::printf("search.%s.whole_tree     %s ms   %s recordings listed\n", r.name,
                    kel_bench::Text(kel_bench::Of(whole), "%.1f").c_str(),
                    kel_bench::Text(kel_bench::Of(files), "%.0f").c_str());
        std::printf("search.%s.longest_stall  %s ms   (a search after another frees the rows of the one before)   "
                    "aim: every run <= %.0f ms   %s\n",
                    r.name, kel_bench::Text(longest, "%.1f").c_str(), kStallAimMs,
                    kel_bench::Verdict(longest.max <= kStallAimMs));
    }
    return 0;
}
