#pragma once

#include <QObject>
#include <QString>
#include <QSystemTrayIcon>

namespace vorlune {

// The desktop's notification area: whether it exists, the program's one icon with its tip, and
// what the user does to the icon. The real one is a QSystemTrayIcon; tests hand in a fake.
class SystemTray : public QObject {
    Q_OBJECT
  public:
    using QObject::QObject;

    // Whether the desktop has a tray right now.
    [[nodiscard]] virtual bool Available() const = 0;
    // Shows the icon of the picture file with the tip, adding it when there is none.
    virtual void ShowIcon(const QString& pictureFile, const QString& tip) = 0;
    virtual void RemoveIcon() = 0;

  signals:
    void activated(QSystemTrayIcon::ActivationReason reason);
};

// The tray of the Qt platform.
class QtSystemTray final : public SystemTray {
    Q_OBJECT
  public:
    QtSystemTray();
    ~QtSystemTray() override;

    [[nodiscard]] bool Available() const override;
    void ShowIcon(const QString& pictureFile, const QString& tip) override;
    void RemoveIcon() override;

  private:
    QSystemTrayIcon icon_;
};

}  // namespace vorlune
