// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A folder made read-only for the lifetime of the object the way a folder on
// a read-only medium is: the folder bind-mounted onto itself read-only, so
// that the super-user cannot write to it either (permissions would not stop
// the super-user). Where the machine cannot (no rights to mount), ok() is
// false and why() says why; tests skip then.
#include <QFile>
#include <QString>

#include <sys/mount.h>

#include <cerrno>
#include <cstring>

namespace kel_test {

class ScopedReadOnlyFolder {
public:
    explicit ScopedReadOnlyFolder(const QString& folder) : m_path(QFile::encodeName(folder)) {
        if (mount(m_path.constData(), m_path.constData(), nullptr, MS_BIND, nullptr) != 0) {
            m_why = QString("cannot bind-mount %1: %2").arg(folder, QString::fromLocal8Bit(std::strerror(errno)));
            return;
        }
        m_mounted = true;
        if (mount(nullptr, m_path.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0) {
            m_why = QString("cannot make %1 read-only: %2").arg(folder, QString::fromLocal8Bit(std::strerror(errno)));
            return;
        }
        m_ok = true;
    }
    ~ScopedReadOnlyFolder() {
        if (m_mounted) umount2(m_path.constData(), MNT_DETACH);
    }
    ScopedReadOnlyFolder(const ScopedReadOnlyFolder&) = delete;
    ScopedReadOnlyFolder& operator=(const ScopedReadOnlyFolder&) = delete;

    bool ok() const { return m_ok; }
    std::string why() const { return m_why.toStdString(); }

private:
    QByteArray m_path;
    QString m_why;
    bool m_mounted = false;
    bool m_ok = false;
};

}  // namespace kel_test
