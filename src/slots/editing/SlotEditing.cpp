#include "slots/editing/SlotEditing.h"

#include "hotkeys/HotkeyText.h"
#include "slots/editing/ExportSlotFile.h"
#include "slots/editing/RestoreDefaults.h"
#include "slots/editing/SelectSlot.h"
#include "slots/editing/SlotDialog.h"

namespace vorlune {
namespace {

bool IsSlot(std::int32_t n) {
    return n >= 1 && n <= kSlotCount;
}

}  // namespace

SlotEditing::SlotEditing(SlotEditingServices services, KeyWatcher& keyWatcher, QObject* parent)
    : QObject(parent),
      services_(services),
      drop_(services_),
      capture_(keyWatcher),
      menu_(std::make_unique<SlotContextMenu>()),
      specialMenu_(std::make_unique<SpecialHotkeyMenu>()) {
    connect(menu_.get(), &SlotContextMenu::soundChosen, this,
            [this] { OpenSlotDialog(SlotDialogMode::SlotSound); });
    connect(menu_.get(), &SlotContextMenu::hotkeyChosen, this,
            [this] { OpenSlotDialog(SlotDialogMode::SlotHotkey); });
    connect(menu_.get(), &SlotContextMenu::exportChosen, this, &SlotEditing::ExportCurrentSlotFile);
    connect(menu_.get(), &SlotContextMenu::forgetHotkeyChosen, this,
            &SlotEditing::ForgetSlotHotkey);
    connect(menu_.get(), &SlotContextMenu::emptyChosen, this, &SlotEditing::EmptySlot);
    connect(specialMenu_.get(), &SpecialHotkeyMenu::setHotkeyChosen, this,
            [this] { OpenSlotDialog(DialogModeOf(special_)); });
}

SlotEditing::~SlotEditing() = default;

void SlotEditing::OnSlotRightReleased(std::int32_t n, const QString& caption, const QString& tag,
                                      QPoint at) {
    SelectSlot(services_.state, n, tag.toStdString());
    menu_->UpdateSlotMenu(caption);
    menu_->popup(at);
}

void SlotEditing::OnSpecialRightReleased(SpecialHotkey which, QPoint at) {
    special_ = which;
    specialMenu_->popup(at);
}

void SlotEditing::OfferSlotDialog(std::int32_t n, const QString& tag) {
    SelectSlot(services_.state, n, tag.toStdString());
    OpenSlotDialog(SlotDialogMode::SlotSound);
}

void SlotEditing::OpenSlotDialog(SlotDialogMode mode) {
    SlotDialog dialog(services_, capture_, mode);
    SlotDialog* const outer = dialog_;
    dialog_ = &dialog;
    dialog.exec();
    dialog_ = outer;
}

void SlotEditing::HotkeysAnswered() {
    if (dialog_ != nullptr) {
        dialog_->HotkeysAnswered();
    }
}

void SlotEditing::DesktopShortcutFired(std::int32_t id) {
    if (dialog_ == nullptr || !services_.hotkeys.BindsSets()) {
        return;
    }
    if (const std::optional<std::string> stored = services_.hotkeys.StoredTextOf(id)) {
        dialog_->CaptureShortcut(StoredToDisplay(*stored));
    }
}

void SlotEditing::ExportCurrentSlotFile() {
    services_.prompts.Show(ExportSlotFile(services_.state.currentSlotRef, services_.folder,
                                          services_.desktop.DesktopFolder()));
}

void SlotEditing::ForgetSlotHotkey() {
    const std::int32_t n = services_.state.currentSlotNumber;
    if (IsSlot(n)) {
        services_.slotStore.ClearSlotHotkey(n);
    }
    services_.grid.RefreshSlot(n);
}

void SlotEditing::EmptySlot() {
    services_.onTop.KeepOnTopRelease();
    const std::int32_t n = services_.state.currentSlotNumber;
    const std::string name = services_.slotStore.ReadSlotName(n);
    const PromptAnswer answer =
        services_.prompts.Show({.text = "是否清空【" + name + "】,清空后不可恢复哦?",
                                .caption = "提示",
                                .icon = PromptIcon::Question,
                                .buttons = PromptButtons::YesNo,
                                .defaultButton = PromptAnswer::No});
    if (answer != PromptAnswer::Yes) {
        return;
    }
    if (IsSlot(n)) {
        services_.slotStore.ClearSlot(n);
    }
    services_.grid.RefreshSlot(n);
}

void SlotEditing::DropFiles(std::int32_t n, const QStringList& paths) {
    std::vector<std::string> files;
    files.reserve(static_cast<std::size_t>(paths.size()));
    for (const QString& path : paths) {
        files.push_back(path.toStdString());
    }
    drop_.DropFiles(n, files);
}

void SlotEditing::RestoreDefaultSounds() {
    SlotGrid& grid = services_.grid;
    vorlune::RestoreDefaultSounds(services_.slotStore, services_.prompts,
                                  [&grid] { grid.LoadSlotGrid(); });
}

}  // namespace vorlune
