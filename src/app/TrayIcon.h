#pragma once

#include <QObject>
#include <QString>
#include <optional>
#include <string>

class QSystemTrayIcon;

namespace vorlune {

// The tip under the tray icon: the title, a line break and the hotkey state, of which only the
// first 62 bytes (GBK) are shown, never cutting through a character.
std::string TrayTip(const std::string& title, bool hotkeysOn);

// The notification-area icon: blue while slot hotkeys are on, grey while they are off.
class TrayIcon : public QObject {
    Q_OBJECT
  public:
    explicit TrayIcon(QObject* parent = nullptr);
    ~TrayIcon() override;

    // Shows the on or off icon with the tip, adding the icon when there is none; without an
    // icon (nullopt) the icon is removed.
    void UpdateTrayIcon(std::optional<bool> hotkeysOn, const std::string& tip = {});

    bool IsShown() const;
    std::optional<bool> ShownState() const { return state_; }
    QString Tip() const;
    QSystemTrayIcon* Native() const { return icon_; }

  private:
    QSystemTrayIcon* icon_;
    std::optional<bool> state_;
};

}  // namespace vorlune
