#pragma once
// A loopback HTTP server for the news panel's tests: 127.0.0.1 on an
// ephemeral port, keeping the raw request target of every request and
// answering with the scripted answers in order (then the fallback).
#include <QByteArray>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace news::testing {

class HttpTestServer : public QObject {
public:
    struct Answer {
        int status = 200;
        QByteArray body;
        int delayMs = 0;
        bool never = false;     // accepts and never answers
        QByteArray raw{};       // written as it is in place of the status line, headers and body
        bool keepOpen = false;  // the connection stays open after the answer
        int dripMs = 0;         // one byte this often
    };

    HttpTestServer() {
        server_.listen(QHostAddress::LocalHost, 0);
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                socket->setParent(this);
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
            }
        });
    }
    std::string host() const { return "127.0.0.1:" + std::to_string(server_.serverPort()); }

    std::vector<std::string> targets;
    std::deque<Answer> answers;
    Answer fallback;

private:
    void read(QTcpSocket* socket) {
        QByteArray& request = pending_[socket];
        request += socket->readAll();
        const qsizetype end = request.indexOf("\r\n\r\n");
        if (end < 0) return;
        const QList<QByteArray> line = request.left(request.indexOf("\r\n")).split(' ');
        targets.push_back(line.size() > 1 ? line[1].toStdString() : std::string());
        pending_.remove(socket);
        Answer answer = fallback;
        if (!answers.empty()) {
            answer = answers.front();
            answers.pop_front();
        }
        if (answer.never) return;
        QTimer::singleShot(answer.delayMs, socket, [socket, answer] {
            const QByteArray bytes = !answer.raw.isEmpty() ? answer.raw
                                     : "HTTP/1.1 " + QByteArray::number(answer.status) + " Scripted\r\nContent-Length: " +
                                           QByteArray::number(answer.body.size()) + "\r\nConnection: close\r\n\r\n" +
                                           answer.body;
            if (answer.dripMs > 0) {
                auto* drip = new QTimer(socket);
                auto sent = std::make_shared<qsizetype>(0);
                QObject::connect(drip, &QTimer::timeout, socket, [socket, drip, bytes, sent] {
                    if (*sent < bytes.size()) socket->write(bytes.mid((*sent)++, 1));
                    else drip->stop();
                });
                drip->start(answer.dripMs);
                return;
            }
            socket->write(bytes);
            if (!answer.keepOpen) socket->disconnectFromHost();
        });
    }

    QTcpServer server_;
    QHash<QTcpSocket*, QByteArray> pending_;
};

}  // namespace news::testing
