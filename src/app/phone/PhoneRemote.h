#pragma once

#include <QImage>
#include <QObject>
#include <QString>
#include <string>

#include "app/RemoteControl.h"
#include "app/phone/PhoneServer.h"
#include "base/SettingsStore.h"

namespace vorlune {

namespace setting {
// The phone page: on or off, its port and the pairing secret, in a section of their own.
inline constexpr SettingKey kPhoneOn{"手机遥控", "值", "0"};
inline constexpr SettingKey kPhonePort{"手机遥控", "端口", "38621"};
inline constexpr SettingKey kPhoneSecret{"手机遥控", "配对码"};
// Where it listens: every IPv4 address of this computer, or the one given. Port 0: any free one.
inline constexpr SettingKey kPhoneAddress{"手机遥控", "监听地址", "0.0.0.0"};
}  // namespace setting

// The "手机遥控" switch: serves the phone page while it is on, keeps the pairing secret and
// gives the paired link as text and as a QR code.
class PhoneRemote final : public QObject {
    Q_OBJECT
  public:
    PhoneRemote(SettingsStore& settings, RemoteActions& actions, const RemoteQueries& queries);

    // Serves the page if config.ini says so.
    void Restore();
    // Turns the page on or off, remembered in config.ini; off closes the port at once.
    void Toggle();
    // A new pairing secret; every paired page is disconnected.
    void NewSecret();
    void StateMayHaveChanged() { server_.StateMayHaveChanged(); }
    void Stop() { server_.Stop(); }

    [[nodiscard]] bool On() const { return server_.Listening(); }
    // The paired link (empty while off) and its QR code.
    [[nodiscard]] QString Link() const;
    [[nodiscard]] QImage QrCode() const;

  signals:
    // On, off, a new secret or a port that could not be had: the settings page shows it.
    void changed();

  private:
    void Start();
    std::string Secret();

    SettingsStore& settings_;
    PhoneServer server_;
    QString shownHost_;
};

// The QR code of `text` (libqrencode), black on white with its quiet zone, `scale` pixels a
// module; null when the text cannot be encoded.
QImage QrCodeImage(const QByteArray& text, int scale);

}  // namespace vorlune
