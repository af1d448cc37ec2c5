// SPDX-License-Identifier: GPL-3.0-or-later
#include "DateTimePair.h"

CDateTimePair::CDateTimePair() = default;
CDateTimePair::CDateTimePair(const QDateTime& start, const QDateTime& end) : m_start(start), m_end(end) {}

void CDateTimePair::registerMetaType() {
    qRegisterMetaType<CDateTimePair>("CDateTimePair");
    qRegisterMetaType<QList<CDateTimePair>>("QList<CDateTimePair>");
}

namespace {
const bool g_registered = (CDateTimePair::registerMetaType(), true);
}
