#include "app/SettingsPage.h"

#include <QCursor>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QToolButton>

#include "app/SwitchButton.h"
#include "decoration/Fonts.h"

namespace vorlune {

SettingsPage::SettingsPage(QWidget* parent) : QWidget(parent) {
    setAccessibleName(QStringLiteral("设置面板"));
    auto* other = new QGroupBox(QStringLiteral("其他参数设置"), this);
    other->setObjectName(QStringLiteral("分组框3"));
    other->setGeometry(6, 8, 537, 136);
    auto* label = new QLabel(QStringLiteral("窗口始终置顶:"), other);
    label->setObjectName(QStringLiteral("透明标签3"));
    label->setGeometry(12, 19, 83, 24);
    label->setFont(YaHeiFont());
    onTop_ = new SwitchButton(other);
    onTop_->setObjectName(QStringLiteral("超级按钮_窗口置顶"));
    onTop_->setGeometry(107, 19, 80, 24);
    onTop_->setToolTip(QStringLiteral("主音效界面是否置顶（开启后，该窗口始终保持最前）"));
    connect(onTop_, &SwitchButton::clicked, this, &SettingsPage::onTopClicked);

    auto* functions = new QGroupBox(QStringLiteral("其他功能"), this);
    functions->setObjectName(QStringLiteral("分组框7"));
    functions->setGeometry(6, 146, 537, 112);
    restore_ = new QToolButton(functions);
    restore_->setObjectName(QStringLiteral("超级按钮_恢复设置"));
    restore_->setGeometry(91, 28, 69, 65);
    restore_->setText(QStringLiteral("恢复设置"));
    restore_->setToolTip(QStringLiteral("恢复设置"));
    restore_->setIcon(QIcon(QStringLiteral(":/icons/restore.svg")));
    restore_->setIconSize(QSize(44, 40));
    restore_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    restore_->setAutoRaise(true);
    restore_->setFont(YaHeiFont(9, true));

    restoreMenu_ = new QMenu(QStringLiteral("恢复设置"), this);
    restoreMenu_->setObjectName(QStringLiteral("恢复设置"));
    QAction* item = restoreMenu_->addAction(QStringLiteral("初始化默认音效"));
    connect(item, &QAction::triggered, this, &SettingsPage::restoreDefaultsChosen);
    connect(restore_, &QToolButton::clicked, this,
            [this] { restoreMenu_->popup(QCursor::pos() + QPoint(3, 3)); });
}

}  // namespace vorlune
