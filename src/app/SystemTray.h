#pragma once

#include <QObject>
#include <QString>
#include <QSystemTrayIcon>

#include "app/TrayKind.h"

namespace vorlune {

// The desktop's notification area: whether it exists, the program's one icon with its tip, and
// what the user does to the icon. The real one is a QSystemTrayIcon; tests hand in a fake.
class SystemTray : public QObject {
    Q_OBJECT
  public:
    using QObject::QObject;

    // Whether the desktop has a tray right now.
    [[nodiscard]] virtual bool Available() const = 0;
    // The kind of tray the icon is in, which decides what its activations mean.
    [[nodiscard]] virtual TrayKind Kind() const = 0;
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
    [[nodiscard]] TrayKind Kind() const override { return kind_; }
    void ShowIcon(const QString& pictureFile, const QString& tip) override;
    void RemoveIcon() override;

  private:
    QSystemTrayIcon icon_;
    // Asked right after the icon is made, when Qt chooses its tray.
    TrayKind kind_;
};

}  // namespace vorlune
