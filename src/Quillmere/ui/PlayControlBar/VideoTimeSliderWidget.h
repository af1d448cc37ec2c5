// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Time axis of the sixteen windows of one playback page: one row of the
// multi-row time slider per window ("window01" to "window16"), the slider's
// mouse signals passed on, and the played time shown.
#include <QDate>
#include <QDateTime>
#include <QIcon>
#include <QList>
#include <QMap>
#include <QWidget>

#include <ctime>

#include "storage/DateTimePair.h"

class CMultiTimeSlider;
class CTimeRectSeries;
class QVBoxLayout;

class VideoTimeSliderWidget : public QWidget {
    Q_OBJECT
public:
    static const int kRowCount = 16;

    explicit VideoTimeSliderWidget(QWidget* parent = nullptr);
    ~VideoTimeSliderWidget() override;

    time_t currentTime() const { return m_currentTime; }
    void setSearchRange(const QDateTime& start, const QDateTime& end);
    void setDays(const QDate& first, const QDate& last);
    void setRecords(int row, const QList<CDateTimePair>& times);
    void setAllRecords(const QMap<uint, QList<CDateTimePair>>& times);
    void setDragging(bool dragging);
    void clearRow(int row);
    void clearRowRecords(int row);
    void clearRowFilter(int row);
    void clearAllRows();
    void clearAllFilters();
    void resetSlider();
    void reset();
    void addFilterEntry(int row, const QIcon& icon, const QString& text, int type);
    // The row's segments of the slider (null when absent).
    CTimeRectSeries* findRow(uint key) const;
    CMultiTimeSlider* slider() const { return m_slider; }

    // The same operations under the slider's own names.
    void setRecordLimits(const QDateTime& start, const QDateTime& end) { setSearchRange(start, end); }
    void setRowRecords(const QList<CDateTimePair>& times, int row) { setRecords(row, times); }
    void setMoving(bool moving) { setDragging(moving); }
    void addFilterType(int row, const QIcon& icon, const QString& text, int type) {
        addFilterEntry(row, icon, text, type);
    }
    unsigned rowStartTime(unsigned row) const;

signals:
    void signalMouseClick(int index, time_t clickTime);
    void signalMouseClick(time_t clickTime);
    void signalDrag(time_t clickTime);

public slots:
    void onPlayTime(time_t uTime);
    void onAddSingleTime(int index, QList<CDateTimePair> times);
    void onAddBatchTime(QMap<uint, QList<CDateTimePair>> times);

private:
    QVBoxLayout* m_layout = nullptr;
    CMultiTimeSlider* m_slider = nullptr;
    time_t m_currentTime = -1;
    // What each row shows: setRecords adds to it, onAddSingleTime replaces it.
    QMap<int, QList<CDateTimePair>> m_rows;
};
