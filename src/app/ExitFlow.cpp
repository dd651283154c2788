#include "app/ExitFlow.h"

#include <QTimer>
#include <optional>

#include "app/TrayIcon.h"
#include "audio/AudioPlayer.h"
#include "slots/SlotStore.h"

namespace vorlune {

Prompt CloseQuestion() {
    return {.text =
                "您是否退出当前Vorlune,选择[是]退出？\r\n"
                "提醒:如果不想退出,请点击最小化托盘后台运行哦!",
            .caption = "询问信息",
            .icon = PromptIcon::None,
            .buttons = PromptButtons::YesNo,
            .defaultButton = PromptAnswer::Yes};
}

Prompt QuitQuestion() {
    return {.text = "确定退出Vorlune？",
            .caption = "请选择",
            .icon = PromptIcon::Question,
            .buttons = PromptButtons::YesNo,
            .defaultButton = PromptAnswer::No};
}

ExitFlow::ExitFlow(Prompts& prompts, std::function<void()> keepOnTopRelease, ExitParts parts,
                   std::function<void(int)> endProcess, QObject* parent)
    : QObject(parent),
      endProcess(std::move(endProcess)),
      prompts_(prompts),
      keepOnTopRelease_(std::move(keepOnTopRelease)),
      parts_(parts) {}

bool ExitFlow::ConfirmClose() {
    if (!Confirmed(CloseQuestion())) {
        return false;
    }
    ExitApplication();
    return true;
}

void ExitFlow::ConfirmQuit() {
    if (Confirmed(QuitQuestion())) {
        ExitApplication();
    }
}

bool ExitFlow::Confirmed(const Prompt& question) {
    keepOnTopRelease_();
    return prompts_.Show(question) == PromptAnswer::Yes;
}

void ExitFlow::ExitApplication() {
    parts_.monitor.stop();
    // Read now: a sound may have started while the question was open.
    const StreamHandle stream = parts_.player.CurrentStream();
    parts_.player.Stop(stream);
    parts_.player.FreeStream(stream);
    parts_.slotList.WriteExitRecord();
    parts_.player.Free();
    parts_.tray.UpdateTrayIcon(std::nullopt);
    if (endProcess) {
        endProcess(0);
    }
}

}  // namespace vorlune
