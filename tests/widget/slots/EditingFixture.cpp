#include "EditingFixture.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStackedWidget>
#include <QTest>
#include <cmath>
#include <cstdint>

#include "app/ControlStrip.h"
#include "app/MainWindow.h"
#include "base/GbkText.h"
#include "slots/editing/SlotContextMenu.h"
#include "slots/editing/SlotDialog.h"

namespace vorlune::test {
namespace {

void PutLittleEndian(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

}  // namespace

EditingFixture::EditingFixture() {
    EnsureQApplication();
    MakeFolders(dir.File("Sounds/Common"));
    MakeFolders(dir.File("Config"));
    MakeFolders(dir.File("Desktop"));
    desktop.desktop = dir.File("Desktop");
}

EditingFixture::~EditingFixture() {
    if (app) {
        app->OnMainWindowDestroyed();
    }
    app.reset();
}

void EditingFixture::Config(std::string_view utf8) {
    WriteFileBytes(dir.File("config.ini"), Utf8ToGbk(utf8));
}
void EditingFixture::List(std::string_view utf8) {
    WriteFileBytes(dir.File("Sounds/Common/list.ini"), Utf8ToGbk(utf8));
}
void EditingFixture::Factory(std::string_view utf8) {
    WriteFileBytes(dir.File("Config/list.ini"), Utf8ToGbk(utf8));
}
std::string EditingFixture::ListText() const {
    return GbkToUtf8(ReadFileBytes(dir.File("Sounds/Common/list.ini")));
}
std::string EditingFixture::ConfigText() const {
    return GbkToUtf8(ReadFileBytes(dir.File("config.ini")));
}

std::string EditingFixture::WriteTone(std::string_view relative) {
    constexpr std::uint32_t kRate = 8000;
    constexpr std::uint32_t kFrames = kRate / 4;
    std::string data;
    for (std::uint32_t i = 0; i < kFrames; ++i) {
        const double s = std::sin(2.0 * M_PI * 440.0 * i / kRate);
        PutLittleEndian(data, static_cast<std::uint16_t>(static_cast<std::int16_t>(s * 8000)), 2);
    }
    std::string wav = "RIFF";
    PutLittleEndian(wav, 36 + static_cast<std::uint32_t>(data.size()), 4);
    wav += "WAVEfmt ";
    PutLittleEndian(wav, 16, 4);
    PutLittleEndian(wav, 1, 2);  // PCM
    PutLittleEndian(wav, 1, 2);  // mono
    PutLittleEndian(wav, kRate, 4);
    PutLittleEndian(wav, kRate * 2, 4);
    PutLittleEndian(wav, 2, 2);
    PutLittleEndian(wav, 16, 2);
    wav += "data";
    PutLittleEndian(wav, static_cast<std::uint32_t>(data.size()), 4);
    wav += data;
    const std::string path = dir.File(relative);
    WriteFileBytes(path, wav);
    return path;
}

Application& EditingFixture::Start() {
    app = std::make_unique<Application>(folder, data, state,
                                        Platform{prompts, keepAbove, hotkeys, *keyWatcher, desktop,
                                                 audio, microphones, tray, programExit});
    app->OnMainWindowCreated();
    app->ShowMainWindow();
    return *app;
}

ControlStrip& EditingFixture::Strip() {
    return *Window().Controls();
}

SlotContextMenu& EditingFixture::SlotMenu() {
    auto* menu = TopLevel<SlotContextMenu>(QStringLiteral("右键操作"));
    EXPECT_NE(menu, nullptr);
    return *menu;
}

SpecialHotkeyMenu& EditingFixture::SpecialMenu() {
    auto* menu = TopLevel<SpecialHotkeyMenu>(QStringLiteral("快捷键操作"));
    EXPECT_NE(menu, nullptr);
    return *menu;
}

void EditingFixture::RightClickSlot(int n) {
    QPushButton* button = Button(n);
    // The slot's page must show for the button to take the click, as for a user.
    for (QWidget* w = button; w != nullptr; w = w->parentWidget()) {
        if (auto* pages = qobject_cast<QStackedWidget*>(w->parentWidget())) {
            pages->setCurrentWidget(w);
        }
    }
    QTest::mouseClick(button, Qt::RightButton);
}

void EditingFixture::Choose(QMenu& menu, QAction* item) {
    QTest::mouseClick(&menu, Qt::LeftButton, {}, menu.actionGeometry(item).center());
}

QLineEdit* EditingFixture::Box(const SlotDialog& dialog, const char* name) {
    return dialog.findChild<QLineEdit*>(QString::fromUtf8(name));
}
QString EditingFixture::Text(const SlotDialog& dialog, const char* name) {
    const QLineEdit* box = Box(dialog, name);
    return box != nullptr ? box->text() : QStringLiteral("<missing>");
}
QPushButton* EditingFixture::ButtonOf(const SlotDialog& dialog, const char* name) {
    return dialog.findChild<QPushButton*>(QString::fromUtf8(name));
}

}  // namespace vorlune::test
