#include <QCursor>
#include <QPushButton>

#include "app/ControlStrip.h"
#include "app/RegionWiring.h"
#include "app/SettingsPage.h"
#include "slots/SlotGrid.h"
#include "slots/SlotTrigger.h"
#include "slots/editing/SlotEditing.h"

namespace vorlune {

void ConnectSlotEditing(SlotEditing& editing, SlotGrid& grid, ControlStrip& strip,
                        SettingsPage& settings, SlotTrigger& trigger) {
    QObject::connect(&grid, &SlotGrid::slotRightReleased, &editing, [&grid, &editing](int n) {
        const QPushButton* button = grid.Button(n);
        editing.OnSlotRightReleased(n, button != nullptr ? button->text() : QString(), grid.Tag(n),
                                    QCursor::pos());
    });
    QObject::connect(
        &strip, &ControlStrip::specialRightReleased, &editing,
        [&editing](SpecialHotkey which) { editing.OnSpecialRightReleased(which, QCursor::pos()); });
    QObject::connect(&grid, &SlotGrid::filesDropped, &editing, &SlotEditing::DropFiles);
    QObject::connect(&settings, &SettingsPage::restoreDefaultsChosen, &editing,
                     &SlotEditing::RestoreDefaultSounds);
    QObject::connect(&trigger, &SlotTrigger::slotDialogWanted, &editing,
                     &SlotEditing::OfferSlotDialog);
}

}  // namespace vorlune
