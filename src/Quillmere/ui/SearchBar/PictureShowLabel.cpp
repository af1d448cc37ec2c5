// SPDX-License-Identifier: GPL-3.0-or-later
#include "PictureShowLabel.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QMouseEvent>
#include <QUrl>

QPixmap loadPicturePixmap(const QString& path) {
    QByteArray bytes;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) bytes = file.readAll();
    QPixmap pixmap;
    int start = -1;
    for (int i = 0; i + 1 < bytes.size(); ++i) {
        if (static_cast<unsigned char>(bytes[i]) == 0xFF && static_cast<unsigned char>(bytes[i + 1]) == 0xD8) {
            start = i;
            break;
        }
    }
    if (start >= 0) {
        pixmap.loadFromData(reinterpret_cast<const uchar*>(bytes.constData()) + start,
                            static_cast<uint>(bytes.size() - start));
    } else {
        pixmap.load(path);
    }
    return pixmap;
}

PictureShowLabel::PictureShowLabel(QWidget* parent) : QLabel(parent) {}

QString PictureShowLabel::tempCopyPath(const QString& path) {
    const QFileInfo info(path);
    return info.path() + QLatin1Char('/') + info.baseName() + QStringLiteral("_temp.jpg");
}

QString PictureShowLabel::saveTempCopy() const {
    if (m_picturePath.isEmpty()) return QString();
    const QPixmap pixmap = loadPicturePixmap(m_picturePath);
    if (pixmap.isNull()) return QString();
    const QString target = tempCopyPath(m_picturePath);
    return pixmap.save(target, "jpg") ? target : QString();
}

void PictureShowLabel::mouseDoubleClickEvent(QMouseEvent*) {
    const QString target = saveTempCopy();
    if (!target.isEmpty()) QDesktopServices::openUrl(QUrl::fromLocalFile(target));
}
