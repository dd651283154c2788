#include "app/phone/PhoneServer.h"

#include <QAbstractHttpServer>
#include <QElapsedTimer>
#include <QFile>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QWebSocket>
#include <algorithm>

namespace vorlune {
namespace {

// What one connection may have sent and not yet been answered: a request line, headers and a
// body this size are far beyond what the page sends.
constexpr qint64 kMaxPendingBytes = qint64{16} * 1024;
// How long a new connection may stay silent before it is closed.
constexpr int kSilentMs = 5000;
constexpr const char* kHeard = "vorluneHeard";

std::int64_t SteadyMs() {
    static QElapsedTimer clock;
    if (!clock.isValid()) {
        clock.start();
    }
    return clock.elapsed();
}

// Takes at most kPhoneMaxConnections connections at once; one more is closed as it comes, and
// one that sends more than a request may is cut off.
class BoundedTcpServer final : public QTcpServer {
  public:
    using QTcpServer::QTcpServer;

  protected:
    void incomingConnection(qintptr descriptor) override {
        auto* socket = new QTcpSocket(this);
        if (!socket->setSocketDescriptor(descriptor)) {
            delete socket;
            return;
        }
        open_.erase(std::remove_if(open_.begin(), open_.end(),
                                   [](const QPointer<QTcpSocket>& s) { return s.isNull(); }),
                    open_.end());
        if (open_.size() >= static_cast<std::size_t>(kPhoneMaxConnections)) {
            socket->abort();
            socket->deleteLater();
            return;
        }
        open_.emplace_back(socket);
        // Connected before the HTTP server's own reading, so this looks first.
        connect(socket, &QTcpSocket::readyRead, socket, [socket] {
            socket->setProperty(kHeard, true);
            if (socket->bytesAvailable() > kMaxPendingBytes) {
                socket->abort();
            }
        });
        // A connection that says nothing would hold one of the few places a phone needs.
        QTimer::singleShot(kSilentMs, socket, [socket] {
            if (!socket->property(kHeard).toBool()) {
                socket->abort();
            }
        });
        addPendingConnection(socket);
    }

  private:
    std::vector<QPointer<QTcpSocket>> open_;
};

std::optional<QByteArray> HeaderOf(const QHttpServerRequest& request, const QByteArray& name,
                                   bool* doubled) {
    std::optional<QByteArray> value;
    const auto headers = request.headers();
    for (const auto& [key, text] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0) {
            if (value) {
                *doubled = true;
            }
            value = text;
        }
    }
    return value;
}

}  // namespace

// Qt's HTTP server, answering every request through the PhoneServer's rules.
class PhoneHttp final : public QAbstractHttpServer {
  public:
    explicit PhoneHttp(PhoneServer& owner) : owner_(owner) {}

  protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override {
        bool doubled = false;
        const std::optional<QByteArray> host = HeaderOf(request, "host", &doubled);
        const std::optional<QByteArray> origin = HeaderOf(request, "origin", &doubled);
        QByteArray method;
        switch (request.method()) {
            case QHttpServerRequest::Method::Get:
                method = "GET";
                break;
            case QHttpServerRequest::Method::Head:
                method = "HEAD";
                break;
            default:
                method = "OTHER";
        }
        // Qt asks before it hands a WebSocket upgrade over: true takes it, false refuses it
        // through missingHandler. Nothing is written here for an upgrade.
        const std::optional<QByteArray> upgrade = HeaderOf(request, "upgrade", &doubled);
        if (upgrade && upgrade->compare("websocket", Qt::CaseInsensitive) == 0) {
            refusal_ = owner_.UpgradeRefusal(request.url().path(QUrl::FullyEncoded),
                                             request.url().query(QUrl::FullyEncoded), host, origin,
                                             request.remoteAddress(), doubled);
            return refusal_ == 0;
        }
        qint64 delay = 0;
        const PhoneServer::Answer answer =
            doubled ? PhoneServer::Answer{400, "text/plain", "bad request\n"}
                    : owner_.Respond(method, request.url().path(QUrl::FullyEncoded),
                                     request.url().query(QUrl::FullyEncoded), host, origin,
                                     request.body().size(), request.remoteAddress(), &delay);
        auto responder = std::make_shared<QHttpServerResponder>(makeResponder(request, socket));
        const auto send = [responder, answer] {
            QHttpServerResponder::HeaderList headers{
                {"Content-Type", answer.type},
                {"Cache-Control", "no-store"},
                {"X-Content-Type-Options", "nosniff"},
                {"Referrer-Policy", "no-referrer"},
                {"Content-Security-Policy",
                 "default-src 'none'; script-src 'unsafe-inline'; style-src 'unsafe-inline'; "
                 "connect-src 'self'; img-src 'none'; base-uri 'none'; form-action 'none'; "
                 "frame-ancestors 'none'"}};
            responder->write(answer.body, headers,
                             static_cast<QHttpServerResponder::StatusCode>(answer.status));
        };
        if (delay > 0) {
            QTimer::singleShot(delay, socket, send);
        } else {
            send();
        }
        return true;
    }

    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override {
        const int status = refusal_ != 0 ? refusal_ : 404;
        refusal_ = 0;
        makeResponder(request, socket)
            .write(status == 403 ? QByteArray("forbidden\n") : QByteArray("not found\n"),
                   "text/plain", static_cast<QHttpServerResponder::StatusCode>(status));
    }

  private:
    PhoneServer& owner_;
    int refusal_ = 0;  // the status of the upgrade just refused, for missingHandler
};

PhoneServer::PhoneServer(RemoteActions& actions, const RemoteQueries& queries, QObject* parent)
    : QObject(parent), actions_(actions), queries_(queries) {}

PhoneServer::~PhoneServer() {
    Stop();
}

bool PhoneServer::Start(const QHostAddress& address, quint16 port, const std::string& secret,
                        std::vector<std::string> hosts) {
    Stop();
    secret_ = secret;
    hosts_ = std::move(hosts);
    http_ = std::make_unique<PhoneHttp>(*this);
    auto* tcp = new BoundedTcpServer(http_.get());
    if (!tcp->listen(address, port)) {
        http_.reset();
        return false;
    }
    port_ = tcp->serverPort();
    tcp_ = tcp;
    http_->bind(tcp);
    connect(http_.get(), &QAbstractHttpServer::newWebSocketConnection, this,
            &PhoneServer::TakeWebSockets);
    return true;
}

void PhoneServer::Stop() {
    CloseAll();
    if (tcp_ != nullptr) {
        tcp_->close();
    }
    // The HTTP server owns the listening socket and every connection it still serves.
    http_.reset();
    lastPushed_.reset();
}

bool PhoneServer::Listening() const {
    return tcp_ != nullptr && tcp_->isListening();
}

void PhoneServer::ChangeSecret(const std::string& secret) {
    secret_ = secret;
    CloseAll();
}

void PhoneServer::CloseAll() {
    const std::vector<QWebSocket*> pages = std::move(pages_);
    pages_.clear();
    for (QWebSocket* page : pages) {
        page->disconnect(this);
        page->abort();
        page->deleteLater();
    }
}

bool PhoneServer::Allowed(const std::optional<QByteArray>& host,
                          const std::optional<QByteArray>& origin, const QString& query) const {
    if (!host || !PhoneHostAllowed(host->toStdString(), hosts_, port_)) {
        return false;
    }
    const std::optional<std::string> originText =
        origin ? std::optional<std::string>(origin->toStdString()) : std::nullopt;
    if (!PhoneOriginAllowed(originText, hosts_, port_)) {
        return false;
    }
    const std::string queryText = query.toStdString();
    const std::optional<std::string_view> given = QueryValue(queryText, "k");
    return given && PhoneSecretsMatch(*given, secret_);
}

qint64 PhoneServer::Failed(const QHostAddress& peer) {
    // A bounded memory of who failed: a flood of addresses forgets, it does not grow.
    if (failures_.size() > 256) {
        failures_.clear();
    }
    return failures_[peer.toString()].Fail(SteadyMs());
}

PhoneServer::Answer PhoneServer::Respond(const QByteArray& method, const QString& path,
                                         const QString& query,
                                         const std::optional<QByteArray>& host,
                                         const std::optional<QByteArray>& origin,
                                         qsizetype bodySize, const QHostAddress& peer,
                                         qint64* delayMs) {
    if (bodySize > static_cast<qsizetype>(kPhoneMaxBodyBytes)) {
        return {413, "text/plain", "too large\n"};
    }
    const PhoneRoute route = PhoneRouteOf(path.toStdString());
    if (route != PhoneRoute::Page) {
        return {404, "text/plain", "not found\n"};
    }
    if (method != "GET" && method != "HEAD") {
        return {405, "text/plain", "method not allowed\n"};
    }
    if (!Allowed(host, origin, query)) {
        *delayMs = Failed(peer);
        return {403, "text/plain", "forbidden\n"};
    }
    QFile page(QStringLiteral(":/phone/pad.html"));
    if (!page.open(QIODevice::ReadOnly)) {
        return {500, "text/plain", "no page\n"};
    }
    return {200, "text/html; charset=utf-8", method == "HEAD" ? QByteArray() : page.readAll()};
}

int PhoneServer::UpgradeRefusal(const QString& path, const QString& query,
                                const std::optional<QByteArray>& host,
                                const std::optional<QByteArray>& origin, const QHostAddress& peer,
                                bool doubled) {
    if (doubled) {
        return 400;
    }
    if (PhoneRouteOf(path.toStdString()) != PhoneRoute::Socket) {
        return 404;
    }
    if (pages_.size() >= static_cast<std::size_t>(kPhoneMaxConnections) ||
        !Allowed(host, origin, query)) {
        Failed(peer);
        return 403;
    }
    return 0;
}

void PhoneServer::TakeWebSockets() {
    if (http_ == nullptr) {
        return;
    }
    while (http_->hasPendingWebSocketConnections()) {
        std::unique_ptr<QWebSocket> taken = http_->nextPendingWebSocketConnection();
        QWebSocket* page = taken.release();
        page->setParent(this);
        const QNetworkRequest& request = page->request();
        const std::optional<QByteArray> host =
            request.hasRawHeader("Host") ? std::optional(request.rawHeader("Host")) : std::nullopt;
        const QString origin = page->origin();
        const std::optional<QByteArray> originText =
            origin.isEmpty() ? std::nullopt : std::optional(origin.toUtf8());
        const QUrl url = page->requestUrl();
        const bool pathFound =
            PhoneRouteOf(url.path(QUrl::FullyEncoded).toStdString()) == PhoneRoute::Socket;
        if (!pathFound || pages_.size() >= static_cast<std::size_t>(kPhoneMaxConnections) ||
            !Allowed(host, originText, url.query(QUrl::FullyEncoded))) {
            if (pathFound) {
                Failed(page->peerAddress());
            }
            page->abort();
            page->deleteLater();
            continue;
        }
        pages_.push_back(page);
        connect(page, &QWebSocket::textMessageReceived, this,
                [this, page](const QString& message) { Hear(page, message); });
        connect(page, &QWebSocket::binaryMessageReceived, page, &QWebSocket::abort);
        connect(page, &QWebSocket::disconnected, this, [this, page] {
            pages_.erase(std::remove(pages_.begin(), pages_.end(), page), pages_.end());
            page->deleteLater();
        });
        page->setMaxAllowedIncomingMessageSize(kPhoneMaxMessageBytes * 4);
        page->setMaxAllowedIncomingFrameSize(kPhoneMaxMessageBytes * 4);
        Greet(page);
    }
}

void PhoneServer::Greet(QWebSocket* page) {
    page->sendTextMessage(QString::fromUtf8(SlotsText()));
    page->sendTextMessage(QString::fromUtf8(StateText()));
}

void PhoneServer::Hear(QWebSocket* page, const QString& message) {
    const std::optional<RemoteRequest> request = ParsePhoneMessage(message.toStdString());
    if (!request) {
        page->sendTextMessage(QStringLiteral("{\"refused\":\"unknown command\"}"));
        return;
    }
    switch (request->verb) {
        case RemoteVerb::Play: {
            const TriggerOutcome outcome = actions_.PlaySlotQuietly(request->number);
            if (outcome != TriggerOutcome::Played) {
                page->sendTextMessage(
                    QStringLiteral("{\"refused\":\"slot %1 cannot play\"}").arg(request->number));
            }
            break;
        }
        case RemoteVerb::Stop:
            actions_.StopSound();
            break;
        case RemoteVerb::Pause:
            actions_.PauseOrResume();
            break;
        case RemoteVerb::Volume:
            actions_.SetVolume(request->number);
            break;
        case RemoteVerb::Hotkeys:
            actions_.SetHotkeys(request->change);
            break;
        default:
            break;
    }
    StateMayHaveChanged();
}

QByteArray PhoneServer::StateText() const {
    const RemoteState state = queries_.State();
    QJsonObject object{{"slot", state.slot},
                       {"paused", state.paused},
                       {"volume", state.volume},
                       {"hotkeys", state.hotkeys}};
    return QJsonDocument(QJsonObject{{"state", object}}).toJson(QJsonDocument::Compact);
}

QByteArray PhoneServer::SlotsText() const {
    // Names and pages only: no file path ever leaves the program.
    QJsonArray list;
    for (const RemoteSlot& slot : queries_.Slots()) {
        list.append(QJsonObject{{"n", slot.number},
                                {"page", slot.page},
                                {"name", QString::fromStdString(slot.name)},
                                {"found", slot.fileFound}});
    }
    return QJsonDocument(QJsonObject{{"slots", list}}).toJson(QJsonDocument::Compact);
}

void PhoneServer::StateMayHaveChanged() {
    if (pages_.empty()) {
        return;
    }
    const RemoteState state = queries_.State();
    if (lastPushed_ && *lastPushed_ == state) {
        return;
    }
    lastPushed_ = state;
    const QString text = QString::fromUtf8(StateText());
    for (QWebSocket* page : pages_) {
        page->sendTextMessage(text);
    }
}

}  // namespace vorlune
