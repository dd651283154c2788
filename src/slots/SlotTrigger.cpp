#include "slots/SlotTrigger.h"

namespace vorlune {

std::string PlayablePath(std::string_view storedPath, const ProgramFolder& folder) {
    return ToLocalSeparators(ResolveSlotPath(storedPath, folder));
}

SlotTrigger::SlotTrigger(AudioPlayer& player, OutputReadiness& outputs, SlotStore& store,
                         SettingsStore& settings, const ProgramFolder& folder, AppState& state,
                         Prompts& prompts, OnTopRelease& onTop, QObject* parent)
    : QObject(parent),
      player_(player),
      outputs_(outputs),
      slots_(store),
      settings_(settings),
      folder_(folder),
      state_(state),
      prompts_(prompts),
      onTop_(onTop) {}

void SlotTrigger::TriggerSlot(const std::string& tag) {
    const TriggerOutcome outcome = PlaySlot(tag);
    if (outcome != TriggerOutcome::Played) {
        ReportFailure(outcome, tag);
    }
}

TriggerOutcome SlotTrigger::PlaySlot(const std::string& tag) {
    onTop_.KeepOnTopRelease();
    const int n = SlotNumberOf(tag);
    emit soundLoaded();

    state_.lastTriggered.number = n;
    state_.lastTriggered.hotkey = slots_.ReadSlotHotkey(n);
    const std::string path = SlotPathOf(slots_.ReadSlotRef(n));  // read again, not the tag
    state_.lastTriggered.name = slots_.ReadSlotName(n);
    player_.SetLastSoundPath(PlayablePath(path, folder_));

    player_.FreeStream(player_.CurrentStream());
    // The chosen device, or the system default while it is missing.
    const bool haveOutput = outputs_.PrepareOutputs();
    if (haveOutput) {
        noOutput_.OutputsBack();
    }
    player_.SetCurrentStream(player_.CreateStream(player_.LastSoundPath()));
    if (player_.CurrentStream() == 0) {
        if (player_.LastSoundPath().empty()) {
            return TriggerOutcome::EmptySlot;
        }
        // The file may well be fine: there is nothing to play it on.
        return haveOutput ? TriggerOutcome::MissingFile : TriggerOutcome::NoOutput;
    }
    const double volume = settings_.ReadNumber(setting::kVolume) / 100.0;
    player_.SetChannelVolume(player_.CurrentStream(), static_cast<float>(volume));
    player_.Play(player_.CurrentStream());
    emit soundStarted();
    return TriggerOutcome::Played;
}

void SlotTrigger::ReportFailure(TriggerOutcome outcome, const std::string& tag) {
    if (outcome == TriggerOutcome::EmptySlot) {
        prompts_.Show(
            {.text = "请选中此音效按钮—鼠标右键—弹出添加菜单", .icon = PromptIcon::Information});
        return;
    }
    // The file may well be fine: there is nothing to play it on.
    if (outcome == TriggerOutcome::NoOutput) {
        emit statusText(QString::fromUtf8(NoOutputNotice::kText));
        noOutput_.Tell();
        return;
    }
    const PromptAnswer answer = prompts_.Show(
        {.text = "未发现有效音效路径源,是否重新设置!\r\n调用路径源:" + player_.LastSoundPath(),
         .caption = "请选择",
         .icon = PromptIcon::Question,
         .buttons = PromptButtons::YesNo,
         .defaultButton = PromptAnswer::No});
    if (answer == PromptAnswer::Yes) {
        emit slotDialogWanted(SlotNumberOf(tag), QString::fromStdString(tag));
    }
}

}  // namespace vorlune
