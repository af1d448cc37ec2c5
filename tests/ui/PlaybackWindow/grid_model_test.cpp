// SPDX-License-Identifier: GPL-3.0-or-later
// The grid model: binding records to cells, segment colours, selection and
// release.
#include "PlaybackWindow/PlaybackGridModel.h"
#include "PlaybackWindow/PlaybackModes.h"
#include "PlaybackWindow/PlaybackWindow.h"
#include "PlaybackWindow/SinglePlaybackWindow.h"

#include <QApplication>
#include <QBrush>
#include <QLabel>
#include <QMenu>

#include <gtest/gtest.h>

#include <ctime>

namespace {

using APT_QMR::CSingleFile;

time_t Civil(int y, int mo, int d, int h, int mi, int s) {
    struct tm t = {};
    t.tm_year = y - 1900;
    t.tm_mon = mo - 1;
    t.tm_mday = d;
    t.tm_hour = h;
    t.tm_min = mi;
    t.tm_sec = s;
    return timegm(&t);
}

ChannelFiles* Record(int channel, std::vector<std::pair<time_t, time_t>> spans, QDate startDay, int type = 1) {
    auto* r = new ChannelFiles;
    r->DeviceName = "DVR";
    r->ChannelInfo.SetChannelNumber(channel);
    r->ChannelInfo.SetDevice("DVR");
    r->ChannelInfo.SetRbs(false);
    r->StartTime = startDay;
    r->EndTime = startDay;
    for (auto& s : spans)
        r->SingleFileList.push_back(new CSingleFile("/nonexistent/f.mp4", "D", 100, static_cast<uint32_t>(s.first),
                                                    static_cast<uint32_t>(s.second), type, "DVR", channel));
    return r;
}

QColor BrushColour(const CDateTimePair& p) {
    const QVariant v = p.data(CDateTimePair::ColorRole);
    return v.isValid() ? v.value<QBrush>().color() : QColor();
}

TEST(PlaybackGridModel, BindStopsAtTheLastWindowAndKeepsWhatWasBound) {
    PlaybackWindow grid(nullptr, 0);
    PlaybackGridModel* model = grid.model();
    const time_t t = Civil(2024, 3, 1, 8, 0, 0);
    QVector<ChannelFiles*> records{Record(1, {{t, t + 60}}, QDate(2024, 3, 1)),
                                   Record(2, {{t, t + 60}}, QDate(2024, 3, 1)),
                                   Record(3, {{t, t + 60}}, QDate(2024, 3, 1))};
    EXPECT_EQ(model->bind(records, 14), -1);
    EXPECT_NE(model->interaction(14), nullptr);
    EXPECT_NE(model->interaction(15), nullptr);
    EXPECT_EQ(model->interactionMap().size(), 2);
    EXPECT_EQ(grid.cells()[14]->titleText(), "Window15:DVR_Channel1");
    EXPECT_EQ(model->earliestStart(15), t);
    EXPECT_EQ(model->earliestStart(3), 0);
    EXPECT_EQ(model->earliestStart(-1), 0);

    // Binding a bound window releases it first.
    EXPECT_EQ(model->bind({Record(7, {{t + 100, t + 200}, {t + 50, t + 90}}, QDate(2024, 3, 1))}, 14), 0);
    EXPECT_EQ(model->earliestStart(14), t + 50);
    EXPECT_EQ(model->files(14).size(), 2u);
    EXPECT_EQ(grid.cells()[14]->titleText(), "Window15:DVR_Channel7");

    model->release(14);
    EXPECT_EQ(model->interaction(14), nullptr);
    EXPECT_FALSE(model->segmentsPerCell().contains(14));
    model->release(14);  // unbound: nothing happens
    model->releaseAll();
    EXPECT_FALSE(model->hasInteractions());
}

// A seek that finishes a running clip tells its path; the bound cell shows
// it whole in a note of its own at the bottom right of the screen.
TEST(PlaybackGridModel, ClipEndedBySeekIsShownInANote) {
    PlaybackWindow grid(nullptr, 0);
    PlaybackGridModel* model = grid.model();
    const time_t t = Civil(2024, 3, 1, 8, 0, 0);
    ASSERT_EQ(model->bind({Record(2, {{t, t + 60}}, QDate(2024, 3, 1))}, 1), 0);
    const QString path = "/opt/KEL/output/Clip/ch02_20240301080005.mp4";
    emit model->interaction(1)->signalClipEndedBySeek(path);
    QLabel* note = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* label = qobject_cast<QLabel*>(w);
        if (label && label->isVisible() && label->text() == path) note = label;
    }
    ASSERT_NE(note, nullptr);
    EXPECT_GE(note->contentsRect().width(), note->fontMetrics().horizontalAdvance(path));
    delete note;
}

// The cell's menu asks the grid for its own screen and names the way back.
TEST(PlaybackGridModel, CellMenuTogglesTheGridsFullScreen) {
    PlaybackWindow grid(nullptr, 0);
    grid.show();
    const time_t t = Civil(2024, 3, 1, 8, 0, 0);
    ASSERT_EQ(grid.model()->bind({Record(1, {{t, t + 60}}, QDate(2024, 3, 1))}, 0), 0);
    SinglePlaybackWindow* cell = grid.cells()[0];
    for (const char* text : {"Full Screen", "Exit Full Screen", "Full Screen"}) {
        QMenu* menu = cell->buildContextMenu();
        ASSERT_NE(menu, nullptr);
        ASSERT_FALSE(menu->actions().isEmpty());
        QAction* full = menu->actions().last();
        EXPECT_EQ(full->text(), text);
        const bool wasFull = grid.isFullScreenMode();
        full->trigger();
        EXPECT_NE(grid.isFullScreenMode(), wasFull) << text;
    }
    EXPECT_TRUE(grid.isFullScreenMode());
    grid.exitFullScreen();
}

TEST(PlaybackGridModel, SegmentStartsAtTheRecordsFirstDay) {
    PlaybackWindow grid(nullptr, 0);
    const time_t dayStart = Civil(2024, 3, 2, 0, 0, 0);
    grid.model()->bind({Record(1, {{dayStart - 300, dayStart + 300}}, QDate(2024, 3, 2))}, 0);
    const QList<CDateTimePair> segments = grid.model()->segmentsPerCell().value(0);
    ASSERT_EQ(segments.size(), 1);
    EXPECT_EQ(segments[0].startTime().toSecsSinceEpoch(), dayStart);
    EXPECT_EQ(segments[0].endTime().toSecsSinceEpoch(), dayStart + 300);
    EXPECT_EQ(segments[0].data(0).toInt(), 1);
}

TEST(PlaybackGridModel, SegmentColourByRecordType) {
    const QColor blue(103, 121, 254), orange(197, 113, 43), green(141, 239, 41);
    struct Case {
        int type;
        bool bareDisk;
        QColor colour;  // invalid: none stored
    };
    const Case cases[] = {{0, true, QColor()}, {1, true, blue},    {8, true, blue},     {3, true, orange},
                          {6, true, green},    {99, true, green},  {0, false, blue},    {6, false, blue},
                          {13, false, orange}, {9, false, green},  {5, false, green},   {255, false, QColor()}};
    for (const Case& c : cases) {
        CDateTimePair p(QDateTime::currentDateTime(), QDateTime::currentDateTime());
        PlaybackGridModel::setSegmentColour(c.type, p, c.bareDisk);
        EXPECT_EQ(BrushColour(p), c.colour) << c.type << " " << c.bareDisk;
        EXPECT_EQ(p.data(0).toInt(), c.type);
    }
}

TEST(PlaybackGridModel, SegmentColourByCategory) {
    CDateTimePair p;
    PlaybackGridModel::setSegmentColourByCategory(1, 7, p);
    EXPECT_FALSE(p.data(CDateTimePair::ColorRole).isValid());
    PlaybackGridModel::setSegmentColourByCategory(0, 7, p);
    EXPECT_EQ(BrushColour(p), QColor("#DC143C"));
    CDateTimePair q;
    PlaybackGridModel::setSegmentColourByCategory(2, 0, q);
    PlaybackGridModel::setSegmentColourByCategory(1, -1, q);
    EXPECT_FALSE(q.data(CDateTimePair::ColorRole).isValid());
    EXPECT_FALSE(q.data(0).isValid());
}

TEST(PlaybackGridModel, SelectMovesTheRedBorder) {
    PlaybackWindow grid(nullptr, 0);
    PlaybackGridModel* model = grid.model();
    EXPECT_EQ(model->selectedIndex(), -1);
    model->select(-1);
    model->select(16);
    EXPECT_EQ(model->selectedIndex(), -1);
    model->select(3);
    EXPECT_EQ(model->selectedIndex(), 3);
    EXPECT_EQ(grid.cells()[3]->selected(), 1);
    EXPECT_TRUE(grid.cells()[3]->styleSheet().contains("red"));
    model->select(5);
    EXPECT_EQ(grid.cells()[3]->selected(), 0);
    EXPECT_TRUE(grid.cells()[3]->styleSheet().contains("QFrame#pPlaybackWnd3"));
    EXPECT_EQ(grid.cells()[5]->selected(), 1);
    EXPECT_EQ(model->selectedInteraction(), nullptr);
    EXPECT_EQ(model->cell(16), nullptr);
}

}  // namespace
