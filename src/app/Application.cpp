#include "app/Application.h"

#include <QCoreApplication>
#include <QLabel>
#include <QSlider>
#include <QStackedWidget>

#include "app/CategoryToolbar.h"
#include "app/ControlStrip.h"
#include "app/KeepAbove.h"
#include "app/MainWindow.h"
#include "app/SettingsPage.h"
#include "app/SwitchButton.h"
#include "app/TrayIcon.h"
#include "hotkeys/HotkeyRegistry.h"
#include "slots/SlotGrid.h"

namespace vorlune {
namespace {

constexpr std::array<std::string_view, kCategoryPages> kCategoryFolders{
    "Common", "Shout the sound of Wheat", "Funny", "Game", "Life"};

SwitchButton::Picture PictureOf(std::int32_t value) {
    if (value == 1) {
        return SwitchButton::Picture::On;
    }
    return value == 0 ? SwitchButton::Picture::Off : SwitchButton::Picture::Loaded;
}

}  // namespace

Application::Application(const ProgramFolder& folder, Platform platform)
    : folder_(folder), platform_(platform), settings_(files_, folder), slots_(files_, folder) {
    grid_ = std::make_unique<SlotGrid>(slots_, [this] { registry_->RegisterAllHotkeys(); });
    std::array<QWidget*, kCategoryPages> pages{};
    for (int p = 0; p < kCategoryPages; ++p) {
        pages[static_cast<std::size_t>(p)] = grid_->Page(p);
    }
    window_ = std::make_unique<MainWindow>(pages);
    tray_ = std::make_unique<TrayIcon>();

    HotkeyActions actions;
    for (int n = 1; n <= kSlotCount; ++n) {
        actions.slotTriggers[static_cast<std::size_t>(n - 1)] = [this, n] { TriggerSlotButton(n); };
    }
    actions.masterSwitch = [] {};
    actions.pauseOrResume = [] {};
    actions.stopSound = [] {};
    ControlStrip* strip = window_->Controls();
    registry_ = std::make_unique<HotkeyRegistry>(
        platform_.hotkeys, settings_, [this](std::int32_t n) { return slots_.ReadSlotHotkey(n); },
        std::move(actions),
        [strip](SpecialHotkey which, const std::string& text) {
            const auto label = which == SpecialHotkey::Pause  ? ControlStrip::Special::PauseResume
                               : which == SpecialHotkey::Stop ? ControlStrip::Special::Stop
                                                              : ControlStrip::Special::MasterSwitch;
            strip->HotkeyLabel(label)->setText(QString::fromStdString(text));
        },
        [] { QCoreApplication::processEvents(); });

    connect(window_->Toolbar(), &CategoryToolbar::categoryClicked, this,
            &Application::SelectCategory);
    connect(window_->Settings(), &SettingsPage::onTopClicked, this, &Application::ToggleOnTop);
}

Application::~Application() = default;

void Application::OnMainWindowCreated() {
    window_->setWindowTitle(QString::fromStdString(settings_.Read(setting::kTitle)));
    UpdateTrayIcon();
    state_.slotListPath = slots_.ListPath();
    RestorePage();
    grid_->LoadSlotGrid();
    RestoreSwitchStates();
    RestoreVolume();
    if (settings_.ReadInt(setting::kOnTop) == 1) {
        platform_.keepAbove.SetKeepAbove(window_.get(), true);
    }
    if (!registry_->HotkeysAvailable()) {
        window_->SetStatusText(
            QStringLiteral("全局快捷键不可用：当前桌面不支持，只能用鼠标点击播放"));
    }
}

void Application::OnMainWindowDestroyed() {
    registry_->UnregisterAllHotkeys();
}

void Application::UpdateTrayIcon() {
    const bool on = settings_.ReadInt(setting::kHotkeysOn) == 1;
    tray_->UpdateTrayIcon(on, TrayTip(window_->windowTitle().toStdString(), on));
}

void Application::RestorePage() {
    state_.currentPage = settings_.ReadInt(setting::kPage);
    if (state_.currentPage >= 0 && state_.currentPage < kCategoryPages) {
        window_->Pages()->setCurrentIndex(state_.currentPage);
        window_->Toolbar()->MarkOnly(state_.currentPage);
    }
}

void Application::RestoreSwitchStates() {
    const std::string folder = settings_.Read(setting::kPageName);
    for (int i = 0; i < kCategoryPages; ++i) {
        if (folder == kCategoryFolders[static_cast<std::size_t>(i)]) {
            window_->Toolbar()->AddMark(i + 1);
        }
    }
    const auto show = [this](SwitchButton* button, const SettingKey& key) {
        const SwitchButton::Picture picture = PictureOf(settings_.ReadInt(key));
        if (picture != SwitchButton::Picture::Loaded) {
            button->ShowPicture(picture);
        }
    };
    show(window_->Controls()->HotkeySwitch(), setting::kHotkeysOn);
    show(window_->Controls()->RepeatSwitch(), setting::kRepeat);
    show(window_->Settings()->OnTopSwitch(), setting::kOnTop);
}

void Application::RestoreVolume() {
    QSlider* slider = window_->Controls()->Volume();
    const QSignalBlocker quiet(slider);  // restoring the position is not a user's change
    slider->setValue(settings_.ReadInt(setting::kVolume));
    window_->Controls()->VolumeLabel()->setText(QString::number(slider->value()) +
                                                QLatin1Char('%'));
}

void Application::SelectCategory(int page) {
    if (page >= 0 && page < kCategoryPages) {
        settings_.Write(setting::kPage, std::to_string(page));
    }
    window_->Toolbar()->MarkOnly(page);
    window_->Pages()->setCurrentIndex(page);
}

void Application::ToggleOnTop() {
    const std::optional<bool> on = ToggleSwitch(settings_, setting::kOnTop);
    if (!on) {
        return;
    }
    platform_.keepAbove.SetKeepAbove(window_.get(), *on);
    window_->Settings()->OnTopSwitch()->ShowState(*on);
}

void Application::KeepOnTopRelease() {
    if (settings_.ReadInt(setting::kOnTop) == 1) {
        platform_.keepAbove.SetKeepAbove(window_.get(), false);
    }
}

void Application::TriggerSlotButton(int n) {
    Q_UNUSED(n);
}

}  // namespace vorlune
