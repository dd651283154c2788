#include <QApplication>
#include <QGuiApplication>

#include "app/Application.h"
#include "app/KeepAbove.h"
#include "app/MainWindow.h"
#include "app/MessageBoxPrompts.h"
#include "app/QtDesktopServices.h"
#include "app/SingleInstance.h"
#include "audio/SdlAudioEngine.h"
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

    vorlune::WindowKeepAbove keepAbove;
    vorlune::QtDesktopServices desktop;
    vorlune::SdlAudioEngine audio;
    vorlune::HotkeyPlatform hotkeys =
        vorlune::CreateHotkeyPlatform(QGuiApplication::platformName().toStdString());
    vorlune::Application app(
        folder, {prompts, keepAbove, *hotkeys.backend, *hotkeys.watcher, desktop, audio});
    app.OnMainWindowCreated();
    app.Window().show();
    const int code = QApplication::exec();
    app.OnMainWindowDestroyed();
    return code;
}
