// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The picture preview of the search panel. A double-click opens the shown
// picture in the system's picture viewer, through a JPEG copy next to it.
#include <QLabel>
#include <QPixmap>
#include <QString>

// Loads a picture file. Data in front of the JPEG start marker (0xFF 0xD8)
// is skipped; a file without that marker is loaded by path. A file that
// does not read or decode gives a null pixmap.
QPixmap loadPicturePixmap(const QString& path);

class PictureShowLabel : public QLabel {
    Q_OBJECT
public:
    explicit PictureShowLabel(QWidget* parent = nullptr);

    void setPicturePath(const QString& path) { m_picturePath = path; }
    QString picturePath() const { return m_picturePath; }

    // Where the viewer copy of `path` goes: its folder, its name up to the
    // first dot, "_temp.jpg".
    static QString tempCopyPath(const QString& path);
    // Writes the viewer copy of the shown picture; its path, or empty when
    // nothing was written.
    QString saveTempCopy() const;

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QString m_picturePath;
};
