#include "app/ExitFlow.h"

#include <QCloseEvent>
#include <QTimer>
#include <optional>

#include "app/ProgramExit.h"
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

ExitFlow::ExitFlow(Prompts& prompts, OnTopRelease& onTop, ExitParts parts, ProgramExit& programExit,
                   QObject* parent)
    : QObject(parent), prompts_(prompts), onTop_(onTop), parts_(parts), programExit_(programExit) {}

void ExitFlow::ConfirmClose(QCloseEvent* event) {
    if (!Confirmed(CloseQuestion())) {
        event->ignore();
        return;
    }
    ExitApplication();
}

void ExitFlow::ConfirmQuit() {
    if (Confirmed(QuitQuestion())) {
        ExitApplication();
    }
}

bool ExitFlow::Confirmed(const Prompt& question) {
    onTop_.KeepOnTopRelease();
    return prompts_.Show(question) == PromptAnswer::Yes;
}

void ExitFlow::ExitApplication() {
    if (exited_) {
        return;
    }
    exited_ = true;
    parts_.monitor.stop();
    // Read now: a sound may have started while the question was open.
    const StreamHandle stream = parts_.player.CurrentStream();
    parts_.player.Stop(stream);
    parts_.player.FreeStream(stream);
    parts_.slotList.WriteExitRecord();
    parts_.player.Free();
    parts_.tray.UpdateTrayIcon(std::nullopt);
    programExit_.EndProcess(0);
}

}  // namespace vorlune
