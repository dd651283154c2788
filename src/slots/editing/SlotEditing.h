#pragma once

#include <QObject>
#include <QPoint>
#include <memory>

#include "hotkeys/KeyWatcher.h"
#include "hotkeys/SpecialHotkeys.h"
#include "hotkeys/capture/HotkeyCapture.h"
#include "slots/editing/SlotContextMenu.h"
#include "slots/editing/SlotDialogMode.h"
#include "slots/editing/SlotEditingServices.h"
#include "slots/editing/SlotSoundDrop.h"

namespace vorlune {

class SlotDialog;

// Everything the user does to change the slots and the special hotkeys: the slot context menu
// with its items, the menu of the control strip's hotkey buttons, the slot dialog and the
// restore of the default sound set, and files dropped onto the slots.
class SlotEditing : public QObject {
    Q_OBJECT
  public:
    SlotEditing(SlotEditingServices services, KeyWatcher& keyWatcher, QObject* parent = nullptr);
    ~SlotEditing() override;

    // Right button released over slot button n: the slot becomes current and its menu pops up.
    void OnSlotRightReleased(std::int32_t n, const QString& caption, const QString& tag, QPoint at);
    // Right button released over the control strip's button of a special hotkey.
    void OnSpecialRightReleased(SpecialHotkey which, QPoint at);
    // Slot n, whose button carries `tag`, becomes current and its dialog opens on the sound page.
    void OfferSlotDialog(std::int32_t n, const QString& tag);

    // Opens the slot dialog modally in the mode and returns when it has closed.
    void OpenSlotDialog(SlotDialogMode mode);

    // The items of the slot menu that do not open the dialog; they act on the current slot.
    void ExportCurrentSlotFile();
    void ForgetSlotHotkey();
    void EmptySlot();

    void RestoreDefaultSounds();
    // Local files dropped onto slot button n.
    void DropFiles(std::int32_t n, const QStringList& paths);

    // The desktop answered a bind of the hotkeys: the open dialog finishes its report.
    void HotkeysAnswered();
    // A hotkey of a desktop that binds whole sets fired: on the open dialog's hotkey page its
    // combination counts as the one typed, since that desktop passes it to no window.
    void DesktopShortcutFired(std::int32_t id);

  private:
    SlotEditingServices services_;
    SlotSoundDrop drop_;
    HotkeyCapture capture_;
    std::unique_ptr<SlotContextMenu> menu_;
    std::unique_ptr<SpecialHotkeyMenu> specialMenu_;
    // The dialog while it is open.
    SlotDialog* dialog_ = nullptr;
    // The special hotkey whose button opened the special menu last.
    SpecialHotkey special_ = SpecialHotkey::MasterSwitch;
};

}  // namespace vorlune
