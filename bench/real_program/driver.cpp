// SPDX-License-Identifier: GPL-3.0-or-later
// The operator's hands for real_program_bench, loaded into the real KEL as a
// Qt input plugin (QT_QPA_GENERIC_PLUGINS=kel-bench-driver:YYYY-MM-DD, with
// this plugin's folder on QT_PLUGIN_PATH). It uses nothing of the program but
// its widgets, found by their object names, and does what the operator does
// on the playback page: maximises the window, chooses the search days in the
// calendar, searches, chooses sixteen windows, double-clicks the first
// device of the results (its channels fill the windows) and, once every
// window paints, presses "Synchronous Playback". Then it reports
//   kel-driver: playing N windows in step
// on standard output and takes commands on standard input, one a line:
//   frames  "kel-driver: frames n1 n2 ..." (frames each window painted so far)
//   pause   presses "Pause All"; "kel-driver: paused" once every window is
//   close   presses "Close All"; "kel-driver: closed" once nothing is open
// A step that does not come about within two minutes ends the driver with
//   kel-driver: failed: <what>
// While it waits for a command it runs no timer: the program's idle CPU is
// the program's own.
#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QApplication>
#include <QCalendarWidget>
#include <QCursor>
#include <QDate>
#include <QElapsedTimer>
#include <QEvent>
#include <QGenericPlugin>
#include <QMetaObject>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPointer>
#include <QScreen>
#include <QSocketNotifier>
#include <QTimer>
#include <QTreeView>
#include <QWidget>

#include <unistd.h>

#include <cstdio>
#include <functional>
#include <map>
#include <vector>

namespace {

const int kWindows = 16;
const int kStepTimeoutMs = 120000;
const qint64 kFrameNs = 40000000;   // 25 frames a second

void Say(const QString& text) {
    std::printf("kel-driver: %s\n", qPrintable(text));
    std::fflush(stdout);
}

// The shown widget of that name (of the page on screen: the evidence page
// has its own of each), or null.
template <class T = QWidget>
T* Shown(const char* name) {
    for (QWidget* w : QApplication::allWidgets())
        if (w->isVisible() && w->objectName() == QLatin1String(name))
            if (auto* t = qobject_cast<T*>(w)) return t;
    return nullptr;
}

bool Enabled(const char* name) {
    auto* b = Shown<QAbstractButton>(name);
    return b && b->isEnabled();
}

class Driver : public QObject {
public:
    explicit Driver(const QDate& day) : m_day(day) {
        m_clock.start();
        m_poll.setInterval(50);
        connect(&m_poll, &QTimer::timeout, this, [this] { Poll(); });
        m_commands = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
        m_commands->setEnabled(false);
        connect(m_commands, &QSocketNotifier::activated, this, [this] { Command(); });
        // The application is being made: the steps start once its loop runs.
        QTimer::singleShot(0, this, [this] { Start(); });
    }

protected:
    // Counts the frames the players' views paint, by the window each view
    // lies in (a player may put a new view into its window). A new frame
    // repaints the whole view. The view is repainted with the frame it shows
    // already too (about once a second, as the window's texts change),
    // mostly a few milliseconds after the frame: a paint within a quarter of
    // a frame's time after the one before is not counted. Such repaints that
    // come later still count (on a quiet machine about 2 % more than the
    // frames due).
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Paint || watched->objectName() != QLatin1String("vintrel_view")) return false;
        auto* view = static_cast<QWidget*>(watched);
        if (!static_cast<QPaintEvent*>(event)->rect().contains(view->rect())) return false;
        QWidget* window = view->parentWidget();
        auto it = m_paints.find(window);
        if (it == m_paints.end()) {
            it = m_paints.emplace(window, Paints()).first;
            m_windows.push_back(window);
        }
        const qint64 now = m_clock.nsecsElapsed();
        if (it->second.frames == 0 || now - it->second.lastNs >= kFrameNs / 4) ++it->second.frames;
        it->second.lastNs = now;
        return false;
    }

private:
    using Step = std::function<bool()>;   // true once done

    void Start() {
        // A process of the program without widgets (none of KEL's) is left alone.
        if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return;
        // The main window is up once the search panel is.
        WaitFor("the main window", [] { return Enabled("btnSearchRecord"); }, [this] { Maximise(); });
    }

    void Maximise() {
        if (auto* b = Shown<QAbstractButton>("TitleBar_restore")) Click(b);
        // Without a window manager nobody sizes a maximised window: do as one.
        QWidget* window = Shown("btnSearchRecord")->window();
        if (QScreen* screen = window->screen()) {
            const QRect area = screen->availableGeometry();
            if (window->geometry() != area) window->setGeometry(area);
        }
        ChooseDays();
    }

    // The calendar of the search days: two clicks, the first and the last day.
    void ChooseDays() {
        QWidget* days = Shown("searchRangeDateTimeEdit");
        if (!days) return Fail("no search days on the playback page");
        QMetaObject::invokeMethod(days, "SignalButtonClicked", Q_ARG(int, 1));
        auto* calendar = days->findChild<QCalendarWidget*>();
        if (!calendar || !calendar->isVisible()) return Fail("the calendar of the search days did not open");
        calendar->setSelectedDate(m_day);
        emit calendar->clicked(m_day);
        emit calendar->clicked(m_day);
        WaitFor("the calendar to close", [days] { return !days->findChild<QCalendarWidget*>(); },
                [this] { Search(); });
    }

    void Search() {
        Click(Shown<QAbstractButton>("btnSearchRecord"));
        WaitFor(
            "the search results",
            [this] {
                QTreeView* tree = Results();
                return Enabled("btnSearchRecord") && tree && tree->model() && tree->model()->rowCount() > 0;
            },
            [this] { SixteenWindows(); });
    }

    QTreeView* Results() {
        auto* list = Shown("treeRecordFileList");
        return list ? list->findChild<QTreeView*>() : nullptr;
    }

    void SixteenWindows() {
        auto* layout = Shown<QAbstractButton>("layoutBtn");
        if (!layout) return Fail("no layout button");
        Click(layout);
        auto* sixteen = Shown<QAbstractButton>("PlayControlBar_SixteenWindowBtn");
        if (!sixteen) return Fail("the layout menu did not open");
        Click(sixteen);
        if (QWidget* menu = Shown("PlayControlBar_LayoutMenu")) menu->hide();
        PlayDevice();
    }

    // A double click on the first device of the results: its channels go
    // into the windows from the selected (the first) one on.
    void PlayDevice() {
        QTreeView* tree = Results();
        const QModelIndex device = tree->model()->index(0, 0);
        tree->scrollTo(device);
        const QPoint at = tree->visualRect(device).center();
        QWidget* view = tree->viewport();
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                                  QEvent::MouseButtonRelease}) {
            const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
            QMouseEvent event(type, at, view->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
            QApplication::sendEvent(view, &event);
        }
        qApp->installEventFilter(this);
        WaitFor("every window to paint", [this] { return EveryWindowPaints(3); }, [this] { InStep(); });
    }

    // True once kWindows windows painted `least` times each.
    bool EveryWindowPaints(int least) const {
        int painting = 0;
        for (const auto& kv : m_paints)
            if (kv.second.frames >= least) ++painting;
        return painting >= kWindows;
    }

    void InStep() {
        auto* sync = Shown<QAbstractButton>("btnSync");
        if (!sync || !sync->isEnabled()) return Fail("Synchronous Playback cannot be pressed");
        Click(sync);
        WaitFor(
            "the windows to play in step", [] { return !Enabled("btnSync") && Enabled("btnUnSync"); },
            [this] {
                Say(QString("playing %1 windows in step").arg(m_windows.size()));
                m_commands->setEnabled(true);
            });
    }

    void Command() {
        char line[256];
        const ssize_t n = read(STDIN_FILENO, line, sizeof line - 1);
        if (n <= 0) {
            m_commands->setEnabled(false);   // the benchmark went away
            return;
        }
        line[n] = 0;
        m_input += QString::fromLatin1(line);
        for (int end; (end = m_input.indexOf('\n')) >= 0;) {
            const QString command = m_input.left(end).trimmed();
            m_input.remove(0, end + 1);
            Run(command);
        }
    }

    void Run(const QString& command) {
        if (command == QLatin1String("frames")) {
            QString counts;
            for (const QPointer<QWidget>& window : m_windows)
                counts += QString(" %1").arg(window ? m_paints[window].frames : -1);
            Say("frames" + counts);
        } else if (command == QLatin1String("pause")) {
            Press("pauseAllBtn", "every window to pause",
                  [] { return !Enabled("pauseAllBtn") && Enabled("restoreAllBtn"); }, "paused");
        } else if (command == QLatin1String("close")) {
            Press("closeAllBtn", "every window to close", [] { return !Enabled("closeAllBtn"); }, "closed");
        } else if (!command.isEmpty()) {
            Say("unknown command " + command);
        }
    }

    void Press(const char* button, const char* what, const Step& done, const char* report) {
        auto* b = Shown<QAbstractButton>(button);
        if (!b || !b->isEnabled()) return Fail(QString("%1 cannot be pressed").arg(button));
        Click(b);
        WaitFor(what, done, [report] { Say(report); });
    }

    // The pointer rests where the operator clicked last (not over a window,
    // where it would show the window's own buttons).
    static void Click(QAbstractButton* button) {
        QCursor::setPos(button->mapToGlobal(button->rect().center()));
        button->click();
    }

    // Polls `done` every 50 ms until it holds, then runs `next`; the timer
    // stops with it.
    void WaitFor(const char* what, Step done, std::function<void()> next) {
        m_what = what;
        m_done = std::move(done);
        m_next = std::move(next);
        m_waited.start();
        m_poll.start();
    }

    void Poll() {
        if (m_done()) {
            m_poll.stop();
            auto next = std::move(m_next);
            m_next = nullptr;
            next();
        } else if (m_waited.elapsed() > kStepTimeoutMs) {
            m_poll.stop();
            Fail(QString("no %1 within %2 s").arg(m_what).arg(kStepTimeoutMs / 1000));
        }
    }

    void Fail(const QString& why) {
        m_poll.stop();
        m_commands->setEnabled(false);
        Say("failed: " + why);
    }

    QDate m_day;
    QTimer m_poll;
    QSocketNotifier* m_commands = nullptr;
    QString m_input;
    const char* m_what = "";
    Step m_done;
    std::function<void()> m_next;
    QElapsedTimer m_waited;
    QElapsedTimer m_clock;
    struct Paints {
        qint64 lastNs = 0;   // the last paint
        long frames = 0;
    };
    std::map<QWidget*, Paints> m_paints;   // by the window a view lies in
    std::vector<QPointer<QWidget>> m_windows;
};

class DriverPlugin : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "driver.json")
public:
    QObject* create(const QString& key, const QString& specification) override {
        if (key != QLatin1String("kel-bench-driver")) return nullptr;
        const QDate day = QDate::fromString(specification, Qt::ISODate);
        if (!day.isValid()) {
            Say("failed: no day to search (kel-bench-driver:YYYY-MM-DD)");
            return nullptr;
        }
        return new Driver(day);
    }
};

}  // namespace

#include "driver.moc"
