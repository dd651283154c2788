#include "app/SystemTray.h"

namespace vorlune {

QtSystemTray::QtSystemTray() : kind_(DesktopTrayKind()) {
    connect(&icon_, &QSystemTrayIcon::activated, this, &SystemTray::activated);
}

QtSystemTray::~QtSystemTray() {
    icon_.hide();
}

bool QtSystemTray::Available() const {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void QtSystemTray::ShowIcon(const QString& pictureFile, const QString& tip) {
    icon_.setIcon(QIcon(pictureFile));
    icon_.setToolTip(tip);
    icon_.show();
}

void QtSystemTray::RemoveIcon() {
    icon_.hide();
}

}  // namespace vorlune
