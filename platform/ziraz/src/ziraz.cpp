#include "ziraz/ziraz.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextCodec>

#include <unistd.h>

namespace ziraz {

QString ConvertToUnicode(const std::string& text, QTextCodec* codec) {
    if (codec) return codec->toUnicode(text.data(), static_cast<int>(text.size()));
    return QString::fromUtf8(text.data(), static_cast<int>(text.size()));
}

QString ConvertToUnicode(const char* text, QTextCodec* codec) {
    return ConvertToUnicode(std::string(text ? text : ""), codec);
}

std::string ConvertFromUnicode(const QString& text, QTextCodec* codec) {
    QByteArray b = codec ? codec->fromUnicode(text) : text.toUtf8();
    return std::string(b.constData(), static_cast<size_t>(b.size()));
}

QString GetTargetPath() {
    QString dir = QString::fromLocal8Bit(qgetenv("KEL_HOME"));
    if (dir.isEmpty()) {
        if (QCoreApplication::instance()) {
            dir = QCoreApplication::applicationDirPath();
        } else {
            char buf[4096];
            ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
            if (n > 0) {
                buf[n] = 0;
                dir = QFileInfo(QString::fromLocal8Bit(buf)).absolutePath();
            } else {
                dir = QDir::currentPath();
            }
        }
    }
    dir = QDir::cleanPath(dir);
    if (!dir.endsWith('/')) dir += '/';
    return dir;
}

QString GetTargetPathFile(const QString& name) { return GetTargetPath() + name; }

QString GetFileSize(uint64_t bytes, const QString& unit, int precision) {
    static const char* units[] = {"B", "KB", "MB", "GB", "TB"};
    int u = 0;
    if (!unit.isEmpty()) {
        for (int i = 0; i < 5; ++i)
            if (unit.compare(QLatin1String(units[i]), Qt::CaseInsensitive) == 0) u = i;
    } else {
        double v = static_cast<double>(bytes);
        while (v >= 1024.0 && u < 4) { v /= 1024.0; ++u; }
    }
    double v = static_cast<double>(bytes);
    for (int i = 0; i < u; ++i) v /= 1024.0;
    if (u == 0) return QString::number(bytes) + " B";
    return QString::number(v, 'f', precision) + " " + units[u];
}

}  // namespace ziraz
