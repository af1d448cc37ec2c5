// SPDX-License-Identifier: GPL-3.0-or-later
#include "VideoTimeSliderWidget.h"

#include <QMetaType>
#include <QVBoxLayout>

#include "chart/MultiTimeSlider.h"
#include "ziraz/sharetools.h"

namespace {
void ReportConnectFailure(int line) {
    ShareTools::debugMessage(QString("connect failure! %1:%2 in VideoTimeSliderWidget::VideoTimeSliderWidget")
                                 .arg(__FILE__)
                                 .arg(line));
}
}  // namespace

VideoTimeSliderWidget::VideoTimeSliderWidget(QWidget* parent) : QWidget(parent) {
    qRegisterMetaType<time_t>("time_t");
    if (objectName().isEmpty()) setObjectName("VideoTimeSliderWidget");
    resize(1130, 567);
    m_layout = new QVBoxLayout(this);
    m_layout->setSpacing(0);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_slider = new CMultiTimeSlider(this);
    m_slider->setObjectName("multiTimeSlider");
    m_layout->addWidget(m_slider);
    setWindowTitle(tr("VideoTimeSliderWidget"));

    m_slider->setRowCount(kRowCount);
    QStringList captions;
    static const char* const kCaptions[] = {
        QT_TR_NOOP("window01"), QT_TR_NOOP("window02"), QT_TR_NOOP("window03"), QT_TR_NOOP("window04"),
        QT_TR_NOOP("window05"), QT_TR_NOOP("window06"), QT_TR_NOOP("window07"), QT_TR_NOOP("window08"),
        QT_TR_NOOP("window09"), QT_TR_NOOP("window10"), QT_TR_NOOP("window11"), QT_TR_NOOP("window12"),
        QT_TR_NOOP("window13"), QT_TR_NOOP("window14"), QT_TR_NOOP("window15"), QT_TR_NOOP("window16")};
    static_assert(sizeof(kCaptions) / sizeof(kCaptions[0]) == kRowCount, "one caption per row");
    for (const char* caption : kCaptions) captions << tr(caption);
    m_slider->setRowCaptions(captions);

    if (!connect(m_slider, SIGNAL(MouseClick(int, time_t)), this, SIGNAL(signalMouseClick(int, time_t))))
        ReportConnectFailure(__LINE__);
    if (!connect(m_slider, SIGNAL(Mousedrag(time_t)), this, SIGNAL(signalDrag(time_t))))
        ReportConnectFailure(__LINE__);
}

VideoTimeSliderWidget::~VideoTimeSliderWidget() = default;

void VideoTimeSliderWidget::onPlayTime(time_t uTime) {
    m_slider->setCurrentTime(uTime);
    m_currentTime = uTime;
}

void VideoTimeSliderWidget::onAddSingleTime(int index, QList<CDateTimePair> times) {
    m_slider->clearRowFilter(index);
    m_slider->clearRow(index);
    m_rows[index] = times;
    m_slider->setRowRecords(times, index);
}

void VideoTimeSliderWidget::onAddBatchTime(QMap<uint, QList<CDateTimePair>> times) {
    for (auto it = times.cbegin(); it != times.cend(); ++it) onAddSingleTime(static_cast<int>(it.key()), it.value());
}

void VideoTimeSliderWidget::setSearchRange(const QDateTime& start, const QDateTime& end) {
    m_slider->setSearchRange(start, end);
}

void VideoTimeSliderWidget::setDays(const QDate& first, const QDate& last) { m_slider->setDays(first, last); }

void VideoTimeSliderWidget::setRecords(int row, const QList<CDateTimePair>& times) {
    QList<CDateTimePair>& shown = m_rows[row];
    shown += times;
    m_slider->setRowRecords(shown, row);
}

void VideoTimeSliderWidget::setAllRecords(const QMap<uint, QList<CDateTimePair>>& times) {
    for (auto it = times.cbegin(); it != times.cend(); ++it) setRecords(static_cast<int>(it.key()), it.value());
}

void VideoTimeSliderWidget::setDragging(bool dragging) { m_slider->setDragging(dragging); }

void VideoTimeSliderWidget::clearRow(int row) {
    m_slider->clearRowFilter(row);
    clearRowRecords(row);
}

void VideoTimeSliderWidget::clearRowRecords(int row) {
    m_rows.remove(row);
    m_slider->clearRow(row);
}
void VideoTimeSliderWidget::clearRowFilter(int row) { m_slider->clearRowFilter(row); }
void VideoTimeSliderWidget::clearAllRows() {
    m_rows.clear();
    m_slider->clearAllRows();
}
void VideoTimeSliderWidget::clearAllFilters() { m_slider->clearAllFilters(); }
void VideoTimeSliderWidget::resetSlider() {
    m_rows.clear();
    m_slider->reset();
}

void VideoTimeSliderWidget::reset() {
    resetSlider();
    clearAllFilters();
}

void VideoTimeSliderWidget::addFilterEntry(int row, const QIcon& icon, const QString& text, int type) {
    m_slider->addFilterEntry(row, icon, text, type);
}

CTimeRectSeries* VideoTimeSliderWidget::findRow(uint key) const { return m_slider->findRow(key); }

unsigned VideoTimeSliderWidget::rowStartTime(unsigned row) const { return m_slider->rowStartTime(row); }
