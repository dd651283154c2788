#include "app/TrayIcon.h"

#include <QSystemTrayIcon>

#include "base/GbkText.h"

namespace vorlune {

namespace {
constexpr std::size_t kTipBytes = 62;
}

std::string TrayTip(const std::string& title, bool hotkeysOn) {
    const std::string tip = title + "\r\n全局快捷键状态:" + (hotkeysOn ? "已经开启" : "已经关闭");
    return std::string(CutToGbkBytes(tip, kTipBytes));
}

TrayIcon::TrayIcon(QObject* parent) : QObject(parent), icon_(new QSystemTrayIcon(this)) {}

TrayIcon::~TrayIcon() {
    icon_->hide();
}

void TrayIcon::UpdateTrayIcon(std::optional<bool> hotkeysOn, const std::string& tip) {
    state_ = hotkeysOn;
    if (!hotkeysOn) {
        icon_->hide();
        return;
    }
    icon_->setIcon(QIcon(*hotkeysOn ? QStringLiteral(":/icons/tray_on.svg")
                                    : QStringLiteral(":/icons/tray_off.svg")));
    // The stored tip keeps its Windows line break; the desktop shows a plain one.
    icon_->setToolTip(
        QString::fromStdString(tip).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    icon_->show();
}

bool TrayIcon::IsShown() const {
    return state_.has_value();
}

QString TrayIcon::Tip() const {
    return icon_->toolTip();
}

}  // namespace vorlune
