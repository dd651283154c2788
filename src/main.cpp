#include <QApplication>

#include "app/MessageBoxPrompts.h"
#include "app/SingleInstance.h"
#include "base/ProgramFolder.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const vorlune::ProgramFolder folder = vorlune::ProgramFolder::OfRunningExecutable();
    vorlune::SingleInstance instance(folder.ExecutablePath());
    if (!instance.IsFirst()) {
        vorlune::MessageBoxPrompts prompts;
        prompts.Show({.text = "软件已经运行,请在右下角查看！", .caption = "友情提醒:"});
        return 0;
    }
    return 0;
}
