#include <QCursor>
#include <QPushButton>

#include "app/Application.h"
#include "app/ControlStrip.h"
#include "app/MainWindow.h"
#include "app/SettingsPage.h"
#include "hotkeys/HotkeyRegistry.h"
#include "slots/SlotGrid.h"
#include "slots/editing/SlotEditing.h"

namespace vorlune {
namespace {

SlotDialogMode ModeOf(ControlStrip::Special which) {
    switch (which) {
        case ControlStrip::Special::PauseResume:
            return SlotDialogMode::PauseHotkey;
        case ControlStrip::Special::Stop:
            return SlotDialogMode::StopHotkey;
        case ControlStrip::Special::MasterSwitch:
            break;
    }
    return SlotDialogMode::MasterHotkey;
}

}  // namespace

void WireSlotEditing(Application& app) {
    SlotGrid& grid = app.Grid();
    HotkeyRegistry& hotkeys = app.Hotkeys();
    auto* editing = new SlotEditing(
        SlotEditingServices{
            .state = app.State(),
            .slotStore = app.Slots(),
            .settings = app.Settings(),
            .folder = app.Folder(),
            .prompts = app.Services().prompts,
            .desktop = app.Services().desktop,
            .refreshSlot = [&grid](std::int32_t n) { grid.RefreshSlot(n); },
            .loadSlotGrid = [&grid] { grid.LoadSlotGrid(); },
            .holdsHotkey = [&hotkeys](std::int32_t id) { return hotkeys.IsRegistered(id); },
            .keepOnTopRelease = [&app] { app.KeepOnTopRelease(); },
        },
        app.Services().keyWatcher, &app);

    QObject::connect(&grid, &SlotGrid::slotRightReleased, editing, [&grid, editing](int n) {
        const QPushButton* button = grid.Button(n);
        editing->OnSlotRightReleased(n, button != nullptr ? button->text() : QString(), grid.Tag(n),
                                     QCursor::pos());
    });
    QObject::connect(app.Window().Controls(), &ControlStrip::specialRightReleased, editing,
                     [editing](ControlStrip::Special which) {
                         editing->OnSpecialRightReleased(ModeOf(which), QCursor::pos());
                     });
    QObject::connect(app.Window().Settings(), &SettingsPage::restoreDefaultsChosen, editing,
                     &SlotEditing::RestoreDefaultSounds);
    app.openSlotDialog = [editing](SlotDialogMode mode) { editing->OpenSlotDialog(mode); };
}

}  // namespace vorlune
