// SPDX-License-Identifier: GPL-3.0-or-later
#include "TimeSliderBase.h"

CTimeSliderBase::CTimeSliderBase(QWidget* parent, const CTimeSliderCore::Levels& levels)
    : QFrame(parent), m_core(this, levels) {}

void CTimeSliderBase::setCurrentTime(time_t t) { m_core.setCurrentTime(t); }

void CTimeSliderBase::setCurrentTime(const QDateTime& t) { m_core.setCurrentTime(t); }

void CTimeSliderBase::applyLevel(int level) { m_core.applyLevel(level); }

void CTimeSliderBase::setSpan(double s) { m_core.setSpan(s); }

void CTimeSliderBase::OnSlotZoomIn() { m_core.zoomIn(); }

void CTimeSliderBase::OnSlotZoomOut() { m_core.zoomOut(); }

void CTimeSliderBase::MoveRight() { m_core.moveRight(); }

void CTimeSliderBase::MoveLeft() { m_core.moveLeft(); }

void CTimeSliderBase::OnSlotReleaseMove() { m_core.releaseMove(); }
