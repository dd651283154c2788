#include <unistd.h>

#include <QApplication>
#include <QGuiApplication>
#include <functional>
#include <string>

#include "app/Application.h"
#include "app/KeepAbove.h"
#include "app/MessageBoxPrompts.h"
#include "app/ProgramExit.h"
#include "app/QtDesktopServices.h"
#include "app/SessionEndSignals.h"
#include "app/SingleInstance.h"
#include "app/SystemTray.h"
#include "audio/MixingAudioEngine.h"
#include "audio/pulse/PulseMicrophoneSystem.h"
#include "audio/pulse/PulseOutputSystem.h"
#include "base/AppState.h"
#include "base/DataFolder.h"
#include "base/GbkText.h"
#include "base/ProgramFolder.h"
#include "base/WayOfLiving.h"
#include "hotkeys/HotkeyPlatform.h"
#include "remote/RemoteCommand.h"

namespace {

// An installed program's data folder, made and given the shipped files at the first start. When
// that fails the program runs on the shipped files in its own folder, where nothing can be
// saved, and says so.
vorlune::DataFolder PreparedDataFolder(const vorlune::ProgramFolder& program,
                                       const std::string& dataFolder, vorlune::Prompts& prompts) {
    vorlune::DataFolder data(dataFolder);
    if (!dataFolder.empty() && vorlune::PrepareDataFolder(program, data)) {
        return data;
    }
    const std::string where =
        dataFolder.empty() ? std::string("（找不到用户主目录）") : "：\r\n" + data.Path();
    prompts.Show({.text = "无法创建用户数据文件夹" + where +
                          "\r\n本次运行使用软件自带的设置和音效,所做的修改不会保存。",
                  .icon = vorlune::PromptIcon::Warning});
    return vorlune::DataFolder{program.Path()};
}

}  // namespace

int main(int argc, char** argv) {
    // With arguments this is the `vorlune` command, a client of the running program: it
    // decides before anything of the GUI starts, so a key binding pays for no window or audio.
    if (argc > 1) {
        return vorlune::RunRemoteCommand(argc, argv);
    }
    QApplication qtApp(argc, argv);
    // From here a logout, a service stop, a closed terminal or Ctrl+C is kept until the program
    // can end cleanly.
    vorlune::SessionEndSignals endSignals;
    QApplication::setStyle(QStringLiteral("Fusion"));
    // The name of the desktop entry (io.github.vorlune.Vorlune.desktop): window systems tie the
    // windows to it, and Wayland desktops file the global shortcuts under the same name.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.vorlune.Vorlune"));
    const vorlune::ProgramFolder folder = vorlune::ProgramFolder::OfRunningExecutable();
    const vorlune::Living living = vorlune::DecideLiving(vorlune::ReadLivingFacts(folder));
    vorlune::MessageBoxPrompts prompts;

    // A second copy on the same user's settings and slots says so and leaves the first alone.
    // Only a mark another copy holds means that; a mark that cannot be made at all is said in the
    // status bar.
    vorlune::SingleInstance instance(::geteuid(),
                                     living.dataFolder.empty() ? folder.Path() : living.dataFolder);
    if (instance.AnotherCopyRuns()) {
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

    const vorlune::DataFolder data = living.way == vorlune::WayOfLiving::Portable
                                         ? vorlune::DataFolder(living.dataFolder)
                                         : PreparedDataFolder(folder, living.dataFolder, prompts);

    vorlune::WindowKeepAbove keepAbove;
    vorlune::QtDesktopServices desktop;
    vorlune::PulseOutputSystem outputs;
    vorlune::MixingAudioEngine audio(outputs);
    vorlune::PulseMicrophoneSystem microphone;
    vorlune::HotkeyPlatform hotkeys =
        vorlune::CreateHotkeyPlatform(QGuiApplication::platformName().toStdString());
    vorlune::QtSystemTray tray;
    vorlune::EventLoopExit programExit;
    vorlune::AppState state;
    const std::unique_ptr<vorlune::RemoteEndpoint> remote = vorlune::CreateRemoteEndpoint();
    vorlune::Application app(folder, data, state,
                             {.prompts = prompts,
                              .keepAbove = keepAbove,
                              .hotkeys = *hotkeys.backend,
                              .keyWatcher = *hotkeys.watcher,
                              .desktop = desktop,
                              .audio = audio,
                              .microphone = microphone,
                              .tray = tray,
                              .exit = programExit,
                              .remote = remote.get()});
    app.OnMainWindowCreated();
    if (!instance.IsFirst()) {
        app.SayOtherCopiesUnchecked();
    }
    QObject::connect(&endSignals, &vorlune::SessionEndSignals::endRequested, &app,
                     [&app] { app.EndWithoutQuestion(); });
    endSignals.Listen();
    app.ShowMainWindow();
    const int code = QApplication::exec();
    app.OnMainWindowDestroyed();
    return code;
}
