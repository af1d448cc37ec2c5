// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Repaint request that a time slider posts to its own chart view. It carries
// nothing; the view redraws on any custom event whatever its type. Ordinary
// changes post it as QEvent::User (1000), the periodic refresh of the time
// under the mouse as MouseTimeRefresh (3000). It never crosses threads.
#include <QEvent>

namespace APT_QMR {

class CUpdateEvent : public QEvent {
public:
    enum { MouseTimeRefresh = 3000 };

    explicit CUpdateEvent(QEvent::Type type = QEvent::User) : QEvent(type) {}
    ~CUpdateEvent() override;
};

}  // namespace APT_QMR
