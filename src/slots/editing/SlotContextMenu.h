#pragma once

#include <QMenu>

namespace vorlune {

// The context menu "右键操作" of every slot button. For an empty slot (caption "+") only its
// first item, then "音效添加", can be chosen.
class SlotContextMenu : public QMenu {
    Q_OBJECT
  public:
    explicit SlotContextMenu(QWidget* parent = nullptr);

    // Sets the items for a slot button with this caption.
    void UpdateSlotMenu(const QString& caption);

    [[nodiscard]] QAction* SoundItem() const { return sound_; }
    [[nodiscard]] QAction* HotkeyItem() const { return hotkey_; }
    [[nodiscard]] QAction* ExportItem() const { return export_; }
    [[nodiscard]] QAction* ForgetHotkeyItem() const { return forgetHotkey_; }
    [[nodiscard]] QAction* EmptyItem() const { return empty_; }

  signals:
    // Each arrives once the menu has closed.
    void soundChosen();
    void hotkeyChosen();
    void exportChosen();
    void forgetHotkeyChosen();
    void emptyChosen();

  private:
    QAction* sound_;
    QAction* hotkey_;
    QAction* export_;
    QAction* forgetHotkey_;
    QAction* empty_;
};

// The menu "快捷键操作" of the three control-strip buttons with a hotkey.
class SpecialHotkeyMenu : public QMenu {
    Q_OBJECT
  public:
    explicit SpecialHotkeyMenu(QWidget* parent = nullptr);
    [[nodiscard]] QAction* SetHotkeyItem() const { return setHotkey_; }

  signals:
    // Arrives once the menu has closed.
    void setHotkeyChosen();

  private:
    QAction* setHotkey_;
};

}  // namespace vorlune
