#pragma once
// A phone page's client for tests, on the loopback only: raw HTTP requests and the page's live
// connection, run while the caller's Qt event loop turns (the server may be in this process).

#include <QCoreApplication>
#include <QTcpSocket>
#include <QWebSocket>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "WaitFor.h"

namespace vorlune::test {

using namespace std::chrono_literals;

inline bool Pump(const std::function<bool()>& done, std::chrono::milliseconds limit = 3s) {
    return WaitFor(
        [&] {
            QCoreApplication::processEvents();
            return done();
        },
        limit, 1ms);
}

// Whether an answer holds its headers and the whole body they announce.
inline bool Complete(const QByteArray& answer) {
    const qsizetype end = answer.indexOf("\r\n\r\n");
    if (end < 0) {
        return false;
    }
    const QByteArray head = answer.left(end).toLower();
    const qsizetype at = head.indexOf("content-length:");
    const qsizetype length =
        at < 0 ? 0 : head.mid(at + 15, head.indexOf('\r', at) - at - 15).trimmed().toLongLong();
    return answer.size() - end - 4 >= length;
}

// Sends raw bytes and returns the server's answer once whole, or what came until it closed the
// connection or the limit passed.
inline QByteArray Exchange(quint16 port, const QByteArray& raw,
                           std::chrono::milliseconds limit = 10s) {
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), port);
    if (!Pump([&] { return socket.state() == QAbstractSocket::ConnectedState; })) {
        return {};
    }
    socket.write(raw);
    QByteArray answer;
    Pump(
        [&] {
            answer += socket.readAll();
            return Complete(answer) || socket.state() == QAbstractSocket::UnconnectedState;
        },
        limit);
    answer += socket.readAll();
    return answer;
}

inline QByteArray Get(quint16 port, const QByteArray& target, const QByteArray& extra = {},
                      QByteArray host = {}) {
    if (host.isEmpty()) {
        host = "127.0.0.1:" + QByteArray::number(port);
    }
    return Exchange(port, "GET " + target + " HTTP/1.1\r\nHost: " + host + "\r\n" + extra +
                              "Connection: close\r\n\r\n");
}

inline int StatusOf(const QByteArray& answer) {
    return answer.startsWith("HTTP/1.1 ") ? answer.mid(9, 3).toInt() : 0;
}

// A page's live connection: what it heard, and whether the server still holds it.
struct LivePage {
    explicit LivePage(quint16 port, const std::string& secret,
                      const QString& origin = QStringLiteral("http://127.0.0.1:%1")) {
        socket = std::make_unique<QWebSocket>(origin.contains(QLatin1Char('%')) ? origin.arg(port)
                                                                                : origin);
        QObject::connect(socket.get(), &QWebSocket::textMessageReceived,
                         [this](const QString& m) { heard.push_back(m); });
        socket->open(QUrl(QStringLiteral("ws://127.0.0.1:%1/live?k=%2")
                              .arg(port)
                              .arg(QString::fromStdString(secret))));
    }
    [[nodiscard]] bool Open() const { return socket->state() == QAbstractSocket::ConnectedState; }
    bool WaitClosed() {
        return Pump([this] { return socket->state() == QAbstractSocket::UnconnectedState; });
    }
    std::unique_ptr<QWebSocket> socket;
    std::vector<QString> heard;
};

}  // namespace vorlune::test
