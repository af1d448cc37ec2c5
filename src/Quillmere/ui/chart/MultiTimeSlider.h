// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The recording time axis under the playback grid: one row per playback
// window with the recorded spans of its channel as coloured bands over one
// or more days, hour and minute ticks, a fixed cursor in the middle for the
// playback time and a filter icon per row. A drag reports the time at the
// cursor (Mousedrag), a click on a row the row and the time clicked
// (MouseClick). The wheel and two buttons zoom, two buttons step the view.
//
// The x axis counts seconds from the base time, midnight of the first day.
#include <QBrush>
#include <QDate>
#include <QDateTime>
#include <QIcon>
#include <QList>
#include <QMap>
#include <QPoint>
#include <QStringList>
#include <ctime>

#include "storage/DateTimePair.h"
#include "TimeSliderBase.h"

class QTimer;
class CMultiChartView;
class CTimeSliderFilterPopup;
class CTimeRectSeries;
class CBackGroundSeries;
class CLineSeries;
class CAxisSeries;
class CMouseTextSeries;
class CImageSeries;

class CMultiTimeSlider : public CTimeSliderBase {
    Q_OBJECT
public:
    enum { MaxRows = 16, RowStep = 26, RowBandTop = 40, RowBandBottom = 52 };

    explicit CMultiTimeSlider(QWidget* parent = nullptr);
    ~CMultiTimeSlider() override;

    virtual void reset();
    virtual void updateState() {}

    // Rows, captions and filters.
    void setRowCount(int n);
    void setRowCaptions(const QStringList& captions);
    void setRowNames(const QStringList& names);
    void addFilterType(int row, const QIcon& icon, const QString& text, int type);
    void addFilterEntry(int row, const QIcon& icon, const QString& text, int type) {
        addFilterType(row, icon, text, type);
    }
    void clearRowFilter(int row);
    void clearAllFilters();

    // Day window and records.
    void setRecordLimits(const QDateTime& start, const QDateTime& end);
    void setSearchRange(const QDateTime& start, const QDateTime& end) { setRecordLimits(start, end); }
    void setDays(const QDate& first, const QDate& last);
    void setDay(const QDate& day) { setDays(day, day); }
    void setRowRecords(const QList<CDateTimePair>& records, int row);
    void setRecords(const QList<CDateTimePair>& records, int row) { setRowRecords(records, row); }
    void setRecordsByRow(const QMap<int, QList<CDateTimePair>>& records);
    void addTimeSpan(time_t start, time_t end, const QBrush& brush, int type);
    void clearRow(int row);
    void clearRowRecords(int row) { clearRow(row); }
    void clearRowType(int type, int row);
    void clearAllRows();
    unsigned rowStartTime(unsigned row) const;
    // The bands of a row; null for a row that does not exist.
    CTimeRectSeries* findRow(unsigned row) const;

    // Playback time and zoom (setCurrentTime, applyLevel, ...) come with
    // the base.
    void setDragging(bool dragging) { setMoving(dragging); }
    // The level table: tick and visible span of a level.
    static int tickOfLevel(int level);
    static double spanOfLevel(int level);

    // State for the host and for checks.
    CMultiChartView* view() const { return m_view; }
    QDateTime recordLimitStart() const { return m_core.recordLimitStart(); }
    QDateTime recordLimitEnd() const { return m_core.recordLimitEnd(); }
    int popupCount() const { return m_popups.size(); }
    CTimeSliderFilterPopup* popup(int row) const;
    int rowSeriesCount() const { return m_rowSeries.size(); }
    CMouseTextSeries* mouseTextSeries() const { return m_mouseText; }
    CAxisSeries* axisSeries() const { return m_axis; }
    CImageSeries* imageSeries() const { return m_images; }
    CBackGroundSeries* backgroundSeries() const { return m_background; }
    bool isInside() const { return m_core.isInside(); }
    QTimer* updateTimer() const { return m_core.updateTimer(); }
    bool leaveTimerActive() const { return m_core.leaveTimerActive(); }

signals:
    void MouseEnter();
    void MouseLeave();
    void Mousedrag(time_t tmClick);
    void MouseClick(int row, time_t tmClick);
    void MouseClick(time_t tmBegin, time_t tmEnd);

public slots:
    void OnUpdateTimeSlider();
    void OnTriggered(QList<int> types);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    CMultiChartView* m_view = nullptr;
    QList<CTimeSliderFilterPopup*> m_popups;
    QMap<unsigned, unsigned> m_rowStartTimes;

    QList<CTimeRectSeries*> m_rowSeries;
    CBackGroundSeries* m_background = nullptr;
    CLineSeries* m_line = nullptr;
    CAxisSeries* m_axis = nullptr;
    CMouseTextSeries* m_mouseText = nullptr;
    CImageSeries* m_images = nullptr;
};
