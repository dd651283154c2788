#include "app/HotkeyStatus.h"

#include <QPushButton>
#include <QStatusBar>

#include "app/MainWindow.h"
#include "hotkeys/HotkeyRegistry.h"

namespace vorlune {

HotkeyStatus::HotkeyStatus(HotkeyRegistry& registry, MainWindow& window)
    : registry_(registry),
      window_(window),
      askAgain_(new QPushButton(QStringLiteral("重新向桌面申请快捷键"), window.StatusBar())) {
    askAgain_->setObjectName(QStringLiteral("按钮_重新申请快捷键"));
    askAgain_->setFlat(true);
    askAgain_->setFocusPolicy(Qt::NoFocus);
    askAgain_->setStyleSheet(QStringLiteral("color: #1060c0; padding: 0 4px;"));
    window.StatusBar()->addPermanentWidget(askAgain_);
    askAgain_->hide();
    connect(askAgain_, &QPushButton::clicked, this, [this] {
        if (registry_.AskDesktopAgain()) {
            window_.SetStatusText(QStringLiteral("已重新向桌面申请快捷键，等待桌面确认…"));
        }
        Update();
    });
}

void HotkeyStatus::SayStanding() {
    if (!registry_.HotkeysAvailable()) {
        window_.AddStatusNotice(
            QStringLiteral("全局快捷键不可用：当前桌面不支持，只能用鼠标点击播放"));
    } else if (registry_.OnlyWithX11Focus()) {
        window_.AddStatusNotice(
            QStringLiteral("桌面没有提供全局快捷键：热键只在 X11 窗口获得焦点时有效"));
    }
}

void HotkeyStatus::Update() {
    const bool refused = registry_.DesktopRefused();
    askAgain_->setVisible(refused);
    if (refused) {
        window_.SetStatusText(QStringLiteral("桌面没有接受热键（对话框被取消或会话已结束）"));
        return;
    }
    const std::string notice = OtherTriggerNotice(registry_.OtherTriggers());
    if (notice.empty()) {
        window_.ResetStatusText();
    } else {
        window_.SetStatusText(QString::fromStdString(notice));
    }
}

}  // namespace vorlune
