#include "QtTestSupport.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QTextDocument>
#include <cstdlib>

namespace vorlune::test {

void EnsureQApplication() {
    if (QApplication::instance() != nullptr) {
        return;
    }
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (std::getenv("XDG_RUNTIME_DIR") == nullptr) {
        const QString runtime = QDir::tempPath() + QStringLiteral("/vorlune-test-runtime");
        QDir().mkpath(runtime);
        QFile::setPermissions(
            runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        ::setenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit().constData(), 1);
    }
    static int argc = 1;
    static char name[] = "vorlune-widget-test";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);  // lives until the test program ends
}

std::vector<std::string> LabelsReadAsMarkup(const QWidget& root, const QString& text) {
    std::vector<std::string> markup;
    for (const QLabel* label : root.findChildren<QLabel*>()) {
        const Qt::TextFormat format = label->textFormat();
        if (label->text().contains(text) && format != Qt::PlainText &&
            (format != Qt::AutoText || Qt::mightBeRichText(label->text()))) {
            markup.push_back(label->objectName().toStdString());
        }
    }
    return markup;
}

void FakeKeepAbove::SetKeepAbove(QWidget* window, bool above) {
    requests.push_back(above);
    for (auto& [w, state] : states_) {
        if (w == window) {
            state = above;
            return;
        }
    }
    states_.emplace_back(window, above);
}

bool FakeKeepAbove::IsKeptAbove(const QWidget* window) const {
    for (const auto& [w, state] : states_) {
        if (w == window) {
            return state;
        }
    }
    return false;
}

void FakeSystemTray::ShowIcon(const QString& pictureFile, const QString& shownTip) {
    picture = pictureFile;
    tip = shownTip;
}

std::optional<bool> FakeSystemTray::ShownState() const {
    if (!picture) {
        return std::nullopt;
    }
    return *picture == QStringLiteral(":/icons/tray_on.svg");
}

void FakeProgramExit::EndProcess(int code) {
    codes.push_back(code);
    if (onEnd) {
        onEnd(code);
    }
}

}  // namespace vorlune::test
