// SPDX-License-Identifier: GPL-3.0-or-later
#include "sabrel/upgrade.h"

#include <QBuffer>
#include <QDir>
#include <QDomDocument>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringList>
#include <QTimer>
#include <QUrl>

#include <memory>

#include "ziraz/xmlguard.h"

namespace upgrade {

namespace {

// Largest update.xml read; anything bigger is not an answer of ours.
const qint64 kMaxIndexBytes = 64 * 1024;

QUrl IndexUrl(const QString& server) {
    QString base = server.trimmed();
    if (base.isEmpty()) return QUrl();
    if (!base.endsWith(QLatin1Char('/'))) base += QLatin1Char('/');
    QUrl url = QUrl::fromUserInput(base);
    if (!url.isValid()) return QUrl();
    return url.resolved(QUrl(QStringLiteral("update.xml")));
}

// Copies the resource at `url` into `sink`, at most `limit` bytes when limit
// is not negative. False on any transfer error, a time-out or a resource
// over the limit.
bool Transfer(const QUrl& url, int timeoutMs, qint64 limit, QIODevice* sink) {
    if (!url.isValid()) return false;
    if (url.isLocalFile()) {
        QFile file(url.toLocalFile());
        if (!file.open(QIODevice::ReadOnly)) return false;
        if (limit >= 0 && file.size() > limit) return false;
        while (!file.atEnd()) {
            const QByteArray chunk = file.read(1 << 16);
            if (chunk.isEmpty() && file.error() != QFileDevice::NoError) return false;
            if (sink->write(chunk) != chunk.size()) return false;
        }
        return true;
    }
    const QString scheme = url.scheme().toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https")) return false;

    QNetworkAccessManager manager;
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    std::unique_ptr<QNetworkReply> reply(manager.get(request));
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    bool ok = true;
    qint64 received = 0;
    auto drain = [&]() {
        const QByteArray chunk = reply->readAll();
        received += chunk.size();
        if (limit >= 0 && received > limit) {
            ok = false;
            reply->abort();
            return;
        }
        if (sink->write(chunk) != chunk.size()) {
            ok = false;
            reply->abort();
        }
    };
    QObject::connect(reply.get(), &QNetworkReply::readyRead, &loop, drain);
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(&timer, &QTimer::timeout, &loop, [&]() {
        ok = false;
        reply->abort();
    });
    timer.start(timeoutMs);
    if (!reply->isFinished()) loop.exec();
    timer.stop();
    if (ok) drain();
    if (!ok || reply->error() != QNetworkReply::NoError) return false;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    return status == 0 || (status >= 200 && status < 300);
}

}  // namespace

struct Upgrade::Private {
    QString server;
    QString folder;
    int timeoutMs = 30000;
    QUrl packageUrl;  // of the last successful check
    QString packagePath;
};

Upgrade::Upgrade() : d(new Private) { d->folder = QDir::temp().filePath(QStringLiteral("sabrel")); }

Upgrade::~Upgrade() { delete d; }

void Upgrade::setServerAddr(const std::string& address) { d->server = QString::fromStdString(address); }

std::string Upgrade::serverAddr() const { return d->server.toStdString(); }

void Upgrade::setDownloadFolder(const std::string& folder) { d->folder = QString::fromStdString(folder); }

std::string Upgrade::downloadFolder() const { return d->folder.toStdString(); }

void Upgrade::setTimeoutMs(int ms) { d->timeoutMs = ms > 0 ? ms : 30000; }

int Upgrade::compareVersions(const std::string& a, const std::string& b) {
    const QStringList pa = QString::fromStdString(a).trimmed().split(QLatin1Char('.'));
    const QStringList pb = QString::fromStdString(b).trimmed().split(QLatin1Char('.'));
    const int n = qMax(pa.size(), pb.size());
    for (int i = 0; i < n; ++i) {
        const qulonglong x = i < pa.size() ? pa[i].toULongLong() : 0;
        const qulonglong y = i < pb.size() ? pb[i].toULongLong() : 0;
        if (x != y) return x < y ? -1 : 1;
    }
    return 0;
}

bool Upgrade::checkUpdate(std::string& version, const tagAppProperty& property) {
    d->packageUrl.clear();
    const QUrl index = IndexUrl(d->server);
    QByteArray text;
    QBuffer buffer(&text);
    buffer.open(QIODevice::WriteOnly);
    if (!Transfer(index, d->timeoutMs, kMaxIndexBytes, &buffer)) return false;
    buffer.close();

    // The index is the server's word: checked like every XML text before a
    // tree is built from it.
    const QString xml = ziraz::DecodeXml(text);
    QDomDocument doc;
    if (!ziraz::CheckXmlText(xml, index.toString(), nullptr) || !doc.setContent(xml)) return false;
    const QDomElement root = doc.documentElement();
    const QString offered = root.firstChildElement(QStringLiteral("Version")).text().trimmed();
    const QString package = root.firstChildElement(QStringLiteral("Package")).text().trimmed();
    if (offered.isEmpty() || package.isEmpty()) return false;
    static const QRegularExpression dotted(QStringLiteral("^[0-9]+(\\.[0-9]+)*$"));
    if (!dotted.match(offered).hasMatch()) return false;
    if (compareVersions(offered.toStdString(), property.version) <= 0) return false;

    const QUrl packageUrl = index.resolved(QUrl(package));
    if (!packageUrl.isValid()) return false;
    d->packageUrl = packageUrl;
    version = offered.toStdString();
    return true;
}

bool Upgrade::dowmloadPackage() {
    if (!d->packageUrl.isValid()) return false;
    // Only the last part of the package's name is used, so the server cannot
    // place the file outside the download folder.
    const QString name = QFileInfo(d->packageUrl.path()).fileName();
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..")) return false;
    if (!QDir().mkpath(d->folder)) return false;
    const QString target = QDir(d->folder).filePath(name);
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (!Transfer(d->packageUrl, d->timeoutMs, -1, &file)) {
        file.cancelWriting();
        return false;
    }
    // commit() alone does not report a failed flush of the buffered tail.
    if (!file.flush() || !file.commit()) return false;
    d->packagePath = target;
    return true;
}

std::string Upgrade::packagePath() const { return d->packagePath.toStdString(); }

}  // namespace upgrade
