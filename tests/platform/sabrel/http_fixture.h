// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A tiny HTTP/1.0 server for the upgrade tests: answers GET requests from a
// table of paths, on the thread that created it (the library's blocking
// calls run a local event loop, which serves it).
#include <QByteArray>
#include <QHash>
#include <QTcpServer>
#include <QTcpSocket>

class TinyHttpServer : public QObject {
public:
    struct Answer {
        int status = 200;
        QByteArray body;
    };

    TinyHttpServer() {
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, this, [this]() {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket]() { serve(socket); });
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }

    void set(const QByteArray& path, int status, const QByteArray& body) { m_answers[path] = {status, body}; }
    QString base() const { return QStringLiteral("http://127.0.0.1:%1/").arg(m_server.serverPort()); }
    int requests() const { return m_requests; }

private:
    void serve(QTcpSocket* socket) {
        QByteArray& pending = m_pending[socket];
        pending += socket->readAll();
        if (!pending.contains("\r\n\r\n")) return;
        const QList<QByteArray> line = pending.left(pending.indexOf("\r\n")).split(' ');
        m_pending.remove(socket);
        ++m_requests;
        const QByteArray path = line.value(1);
        const Answer answer = m_answers.value(path, Answer{404, "missing"});
        QByteArray reply = "HTTP/1.0 " + QByteArray::number(answer.status) + " X\r\nContent-Length: " +
                           QByteArray::number(answer.body.size()) + "\r\nConnection: close\r\n\r\n" + answer.body;
        socket->write(reply);
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
    QHash<QByteArray, Answer> m_answers;
    QHash<QTcpSocket*, QByteArray> m_pending;
    int m_requests = 0;
};
