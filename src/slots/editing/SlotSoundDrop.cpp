#include "slots/editing/SlotSoundDrop.h"

#include "slots/editing/SlotDrop.h"
#include "slots/editing/SlotFiles.h"
#include "slots/editing/SlotSoundApply.h"

namespace vorlune {
namespace {

std::string Quoted(const std::string& path) {
    return "“" + FileNameOfPath(path, true) + "”";
}

}  // namespace

void SlotSoundDrop::DropFiles(std::int32_t n, const std::vector<std::string>& paths) {
    if (n < 1 || n > kSlotCount || paths.empty()) {
        return;
    }
    std::vector<std::string> accepted;
    std::vector<std::string> notIn;  // "“file”：reason"
    for (const std::string& path : paths) {
        const DroppedFileFault fault = CheckDroppedFile(path);
        if (fault == DroppedFileFault::None) {
            accepted.push_back(path);
        } else {
            notIn.push_back(Quoted(path) + "：" + std::string(FaultText(fault)));
        }
    }
    const std::vector<DropPlacement> placed =
        PlaceDroppedFiles(n, accepted, [this](int slot) { return IsEmpty(slot); });
    for (std::size_t i = placed.size(); i < accepted.size(); ++i) {
        notIn.push_back(Quoted(accepted[i]) + "：本页后面没有空的音效按钮");
    }

    if (!placed.empty() && !IsEmpty(n)) {
        services_.onTop.KeepOnTopRelease();
        const std::string name = services_.slotStore.ReadSlotName(n);
        const PromptAnswer answer = services_.prompts.Show(
            {.text = "是否用【" + FileNameOfPath(placed.front().path, false) + "】替换【" + name +
                     "】?",
             .caption = "请选择",
             .icon = PromptIcon::Question,
             .buttons = PromptButtons::YesNo,
             .defaultButton = PromptAnswer::No});
        if (answer != PromptAnswer::Yes) {
            return;
        }
    }
    int wentIn = 0;
    for (const DropPlacement& place : placed) {
        switch (ApplySlotSound(services_.slotStore, services_.grid, place.slot,
                               FileNameOfPath(place.path, false), place.path)) {
            case SlotSoundApplied::Applied:
                ++wentIn;
                break;
            case SlotSoundApplied::BarInPath:  // checked above already
            case SlotSoundApplied::WriteFailed:
                notIn.push_back(Quoted(place.path) + "：写入失败，请检查程序目录是否可写");
                break;
        }
    }

    // One file that went in needs no word; anything else is reported.
    if (paths.size() == 1 && notIn.empty()) {
        return;
    }
    std::string text = "已放入" + std::to_string(wentIn) + "个音效";
    if (!notIn.empty()) {
        text += "，以下文件未放入：";
        for (const std::string& line : notIn) {
            text += "\n" + line;
        }
    }
    Tell(text);
}

bool SlotSoundDrop::IsEmpty(std::int32_t n) const {
    const SoundSlot slot = services_.slotStore.ReadSlot(n);
    return slot.name.empty() && slot.path.empty();
}

void SlotSoundDrop::Tell(const std::string& text) {
    services_.onTop.KeepOnTopRelease();
    services_.prompts.Show({.text = text, .icon = PromptIcon::Information});
}

}  // namespace vorlune
