#include "app/phone/PhoneRemote.h"

#include <qrencode.h>

#include <QNetworkInterface>
#include <QRandomGenerator>
#include <array>
#include <memory>

namespace vorlune {

QImage QrCodeImage(const QByteArray& text, int scale) {
    const std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeString(text.constData(), 0, QR_ECLEVEL_M, QR_MODE_8, 1), &QRcode_free);
    if (code == nullptr) {
        return {};
    }
    constexpr int kQuiet = 4;  // modules of white around the code, as readers expect
    const int side = (code->width + 2 * kQuiet) * scale;
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int y = 0; y < code->width; ++y) {
        for (int x = 0; x < code->width; ++x) {
            if ((code->data[y * code->width + x] & 1U) == 0) {
                continue;
            }
            for (int dy = 0; dy < scale; ++dy) {
                for (int dx = 0; dx < scale; ++dx) {
                    image.setPixel((x + kQuiet) * scale + dx, (y + kQuiet) * scale + dy,
                                   qRgb(0, 0, 0));
                }
            }
        }
    }
    return image;
}

PhoneRemote::PhoneRemote(SettingsStore& settings, RemoteActions& actions,
                         const RemoteQueries& queries)
    : settings_(settings), server_(actions, queries) {}

std::string PhoneRemote::Secret() {
    std::string secret = settings_.Read(setting::kPhoneSecret);
    if (!IsPhoneSecretText(secret)) {
        std::array<std::uint8_t, kPhoneSecretBytes> bytes{};
        for (std::uint8_t& byte : bytes) {
            byte = static_cast<std::uint8_t>(QRandomGenerator::system()->bounded(256));
        }
        secret = PhoneSecretText(bytes);
        settings_.Write(setting::kPhoneSecret, secret);
    }
    return secret;
}

void PhoneRemote::Start() {
    // Requests must name an address the page is served at; on every address, that is each of
    // this computer's IPv4 addresses, and the first one on the network (not the loopback) is
    // the one shown.
    QHostAddress listen(QString::fromStdString(settings_.Read(setting::kPhoneAddress)));
    if (listen.protocol() != QAbstractSocket::IPv4Protocol) {
        listen = QHostAddress::AnyIPv4;
    }
    std::vector<std::string> hosts;
    shownHost_.clear();
    if (listen != QHostAddress::AnyIPv4) {
        hosts.push_back(listen.toString().toStdString());
        shownHost_ = listen.toString();
    }
    for (const QHostAddress& address : QNetworkInterface::allAddresses()) {
        if (listen != QHostAddress::AnyIPv4 ||
            address.protocol() != QAbstractSocket::IPv4Protocol) {
            continue;
        }
        hosts.push_back(address.toString().toStdString());
        if (shownHost_.isEmpty() && !address.isLoopback()) {
            shownHost_ = address.toString();
        }
    }
    if (shownHost_.isEmpty()) {
        shownHost_ = QStringLiteral("127.0.0.1");
    }
    const std::int32_t port = settings_.ReadInt(setting::kPhonePort);
    server_.Start(listen, port >= 0 && port < 65536 ? static_cast<quint16>(port) : 0, Secret(),
                  std::move(hosts));
}

void PhoneRemote::Restore() {
    if (settings_.Read(setting::kPhoneOn) == "1") {
        Start();
    }
    emit changed();
}

void PhoneRemote::Toggle() {
    if (On()) {
        server_.Stop();
        settings_.Write(setting::kPhoneOn, "0");
    } else {
        settings_.Write(setting::kPhoneOn, "1");
        Start();
    }
    emit changed();
}

void PhoneRemote::NewSecret() {
    settings_.Write(setting::kPhoneSecret, "");
    server_.ChangeSecret(Secret());
    emit changed();
}

QString PhoneRemote::Link() const {
    if (!On()) {
        return {};
    }
    return QStringLiteral("http://%1:%2/?k=%3")
        .arg(shownHost_)
        .arg(server_.Port())
        .arg(QString::fromStdString(settings_.Read(setting::kPhoneSecret)));
}

QImage PhoneRemote::QrCode() const {
    const QString link = Link();
    return link.isEmpty() ? QImage() : QrCodeImage(link.toUtf8(), 2);
}

}  // namespace vorlune
