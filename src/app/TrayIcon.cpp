#include "app/TrayIcon.h"

#include "app/SystemTray.h"
#include "base/GbkText.h"

namespace vorlune {

namespace {
constexpr std::size_t kTipBytes = 62;
}

std::string TrayTip(const std::string& title, bool hotkeysOn) {
    const std::string tip = title + "\r\n全局快捷键状态:" + (hotkeysOn ? "已经开启" : "已经关闭");
    return std::string(CutToGbkBytes(tip, kTipBytes));
}

void TrayIcon::UpdateTrayIcon(std::optional<bool> hotkeysOn, const std::string& tip) {
    if (!hotkeysOn) {
        tray_.RemoveIcon();
        return;
    }
    // The stored tip keeps its Windows line break; the desktop shows a plain one.
    tray_.ShowIcon(
        *hotkeysOn ? QStringLiteral(":/icons/tray_on.svg") : QStringLiteral(":/icons/tray_off.svg"),
        QString::fromStdString(tip).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

}  // namespace vorlune
