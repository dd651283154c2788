#include <QApplication>
#include <QGuiApplication>

#include "app/Application.h"
#include "app/KeepAbove.h"
#include "app/MessageBoxPrompts.h"
#include "app/ProgramExit.h"
#include "app/QtDesktopServices.h"
#include "app/SingleInstance.h"
#include "app/SystemTray.h"
#include "audio/MixingAudioEngine.h"
#include "audio/pulse/PulseOutputSystem.h"
#include "base/AppState.h"
#include "base/GbkText.h"
#include "base/ProgramFolder.h"
#include "hotkeys/HotkeyPlatform.h"

int main(int argc, char** argv) {
    QApplication qtApp(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    const vorlune::ProgramFolder folder = vorlune::ProgramFolder::OfRunningExecutable();
    vorlune::MessageBoxPrompts prompts;

    // A second copy from the same folder says so and leaves the first one alone.
    vorlune::SingleInstance instance(folder.ExecutablePath());
    if (!instance.IsFirst()) {
        prompts.Show({.text = "软件已经运行,请在右下角查看！", .caption = "友情提醒:"});
        return 0;
    }

    // Without the C library's GBK converter no Chinese text reads right, and the INI files
    // refuse every write for this run so that none is spoiled; the user is told so at once.
    if (!vorlune::GbkCodec::System().Available()) {
        prompts.Show({.text = "系统缺少GBK中文编码支持,音效名称和路径将无法正确显示！\r\n"
                              "为了保护您的设置文件,本次运行不会保存任何修改,"
                              "请安装系统的中文编码支持后重新打开软件。",
                      .icon = vorlune::PromptIcon::Warning});
    }

    vorlune::WindowKeepAbove keepAbove;
    vorlune::QtDesktopServices desktop;
    vorlune::PulseOutputSystem outputs;
    vorlune::MixingAudioEngine audio(outputs);
    vorlune::HotkeyPlatform hotkeys =
        vorlune::CreateHotkeyPlatform(QGuiApplication::platformName().toStdString());
    vorlune::QtSystemTray tray;
    vorlune::EventLoopExit programExit;
    vorlune::AppState state;
    vorlune::Application app(folder, state,
                             {.prompts = prompts,
                              .keepAbove = keepAbove,
                              .hotkeys = *hotkeys.backend,
                              .keyWatcher = *hotkeys.watcher,
                              .desktop = desktop,
                              .audio = audio,
                              .tray = tray,
                              .exit = programExit});
    app.OnMainWindowCreated();
    app.ShowMainWindow();
    const int code = QApplication::exec();
    app.OnMainWindowDestroyed();
    return code;
}
