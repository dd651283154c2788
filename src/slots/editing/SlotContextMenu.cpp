#include "slots/editing/SlotContextMenu.h"

namespace vorlune {
namespace {

// Queued, so that what an item does (a modal dialog, a question) starts after the menu has
// closed and its own event handling is over.
template <typename Menu>
QAction* Item(Menu* menu, const char* caption, void (Menu::*chosen)()) {
    QAction* action = menu->addAction(QString::fromUtf8(caption));
    QObject::connect(
        action, &QAction::triggered, menu, [menu, chosen] { emit(menu->*chosen)(); },
        Qt::QueuedConnection);
    return action;
}

}  // namespace

SlotContextMenu::SlotContextMenu(QWidget* parent) : QMenu(QStringLiteral("右键操作"), parent) {
    setObjectName(QStringLiteral("右键操作"));
    sound_ = Item(this, "音效设置", &SlotContextMenu::soundChosen);
    hotkey_ = Item(this, "快捷键设置", &SlotContextMenu::hotkeyChosen);
    addSeparator();
    export_ = Item(this, "导出音效源文件", &SlotContextMenu::exportChosen);
    forgetHotkey_ = Item(this, "清除此快捷键", &SlotContextMenu::forgetHotkeyChosen);
    empty_ = Item(this, "清空此音效", &SlotContextMenu::emptyChosen);
}

void SlotContextMenu::UpdateSlotMenu(const QString& caption) {
    const bool filled = caption != QStringLiteral("+");
    sound_->setText(filled ? QStringLiteral("音效设置") : QStringLiteral("音效添加"));
    for (QAction* item : {export_, hotkey_, empty_, forgetHotkey_}) {
        item->setEnabled(filled);
    }
}

SpecialHotkeyMenu::SpecialHotkeyMenu(QWidget* parent)
    : QMenu(QStringLiteral("快捷键操作"), parent) {
    setObjectName(QStringLiteral("快捷键操作"));
    setHotkey_ = Item(this, "设置快捷键", &SpecialHotkeyMenu::setHotkeyChosen);
}

}  // namespace vorlune
