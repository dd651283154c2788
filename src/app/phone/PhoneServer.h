#pragma once

#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QString>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/RemoteControl.h"
#include "remote/PhoneRules.h"

class QWebSocket;
class QTcpServer;

namespace vorlune {

class PhoneHttp;

// The phone page's server: one page and its live connection, both behind the pairing secret.
// A tap on the page runs the same remote commands as the session bus; the page hears the same
// state the bus signals, pushed when it changes. Listens only between Start and Stop.
class PhoneServer final : public QObject {
    Q_OBJECT
  public:
    PhoneServer(RemoteActions& actions, const RemoteQueries& queries, QObject* parent = nullptr);
    ~PhoneServer() override;
    PhoneServer(const PhoneServer&) = delete;
    PhoneServer& operator=(const PhoneServer&) = delete;

    // Listens at `address`:`port` with `secret`; the Host and Origin of requests must name one
    // of `hosts` with the port. False (and nothing listens) when the port cannot be had.
    bool Start(const QHostAddress& address, quint16 port, const std::string& secret,
               std::vector<std::string> hosts);
    // Closes the port and every connection at once.
    void Stop();
    [[nodiscard]] bool Listening() const;
    // The port listened at (the one asked for, or the one given for 0).
    [[nodiscard]] quint16 Port() const { return port_; }
    // A new pairing secret: every page paired with the old one is disconnected.
    void ChangeSecret(const std::string& secret);
    // Pushes the state to every connected page if it differs from the last one pushed.
    void StateMayHaveChanged();
    [[nodiscard]] int LivePages() const { return static_cast<int>(pages_.size()); }

  private:
    friend class PhoneHttp;
    struct Answer {
        int status = 0;
        QByteArray type;
        QByteArray body;
    };
    // The answer to one HTTP request, from its parts as received.
    Answer Respond(const QByteArray& method, const QString& path, const QString& query,
                   const std::optional<QByteArray>& host, const std::optional<QByteArray>& origin,
                   qsizetype bodySize, const QHostAddress& peer, qint64* delayMs);
    // 0 to take a WebSocket upgrade, or the HTTP status it is refused with.
    int UpgradeRefusal(const QString& path, const QString& query,
                       const std::optional<QByteArray>& host,
                       const std::optional<QByteArray>& origin, const QHostAddress& peer,
                       bool doubled);
    [[nodiscard]] bool Allowed(const std::optional<QByteArray>& host,
                               const std::optional<QByteArray>& origin, const QString& query) const;
    qint64 Failed(const QHostAddress& peer);
    void TakeWebSockets();
    void Greet(QWebSocket* page);
    void Hear(QWebSocket* page, const QString& message);
    [[nodiscard]] QByteArray StateText() const;
    [[nodiscard]] QByteArray SlotsText() const;
    void CloseAll();

    RemoteActions& actions_;
    const RemoteQueries& queries_;
    std::unique_ptr<PhoneHttp> http_;
    QPointer<QTcpServer> tcp_;
    std::string secret_;
    std::vector<std::string> hosts_;
    quint16 port_ = 0;
    std::vector<QWebSocket*> pages_;
    std::map<QString, PhoneFailureThrottle> failures_;
    std::optional<RemoteState> lastPushed_;
};

}  // namespace vorlune
