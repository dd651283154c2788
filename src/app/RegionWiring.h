#pragma once

namespace vorlune {

class ControlStrip;
class ExitFlow;
class LinkActions;
class MainWindow;
class SettingsPage;
class SlotEditing;
class SlotGrid;
class SlotTrigger;
class TrayController;

// The links of two regions, each in its own file and given only the parts it connects.

// Slot editing: right-clicks on the slot buttons and on the control strip's hotkey buttons,
// the restore of the default set, and the slot dialog a failed trigger offers.
void ConnectSlotEditing(SlotEditing& editing, SlotGrid& grid, ControlStrip& strip,
                        SettingsPage& settings, SlotTrigger& trigger);

// Leaving: the window's close and minimise, the tray menu's exit, the bottom line's links.
void ConnectLeaving(MainWindow& window, TrayController& tray, ExitFlow& exit, LinkActions& links);

}  // namespace vorlune
