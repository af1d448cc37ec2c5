// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScreenNote.h"

#include <QApplication>
#include <QDebug>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>

#include "storage/KelLogging.h"

namespace {

constexpr int kNoticeMs = 5000;

}  // namespace

QLabel* ShowScreenNote(const QString& text) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        qCDebug(lcKelPlayback).noquote() << text;
        return nullptr;
    }
    auto* note = new QLabel(text);
    note->setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    note->setAttribute(Qt::WA_DeleteOnClose);
    note->setAttribute(Qt::WA_ShowWithoutActivating);
    note->setMargin(12);
    note->adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        note->move(area.right() - note->width() + 1, area.bottom() - note->height() + 1);
    }
    note->show();
    QTimer::singleShot(kNoticeMs, note, &QWidget::close);
    return note;
}
