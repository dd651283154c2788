#include "app/Application.h"

#include <QCoreApplication>
#include <QLabel>
#include <QSlider>
#include <QStackedWidget>

#include "app/BottomLine.h"
#include "app/CategoryToolbar.h"
#include "app/ControlStrip.h"
#include "app/ControlStripView.h"
#include "app/DelayPumping.h"
#include "app/KeepAbove.h"
#include "app/MainWindow.h"
#include "app/SettingsPage.h"
#include "app/SwitchButton.h"
#include "app/TrayIcon.h"
#include "audio/AudioPlayer.h"
#include "audio/controls/OutputDevices.h"
#include "audio/controls/PlaybackControls.h"
#include "hotkeys/HotkeyRegistry.h"
#include "slots/SlotGrid.h"
#include "slots/SlotTrigger.h"
#include "slots/editing/SelectSlot.h"
#include "spectrum/SpectrumPanel.h"

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
    : folder_(folder),
      platform_(platform),
      settings_(files_, folder),
      slots_(files_, folder),
      player_(std::make_unique<AudioPlayer>(platform.audio)) {
    grid_ = std::make_unique<SlotGrid>(slots_, [this] { registry_->RegisterAllHotkeys(); });
    std::array<QWidget*, kCategoryPages> pages{};
    for (int p = 0; p < kCategoryPages; ++p) {
        pages[static_cast<std::size_t>(p)] = grid_->Page(p);
    }
    window_ = std::make_unique<MainWindow>(pages);
    tray_ = std::make_unique<TrayIcon>();

    AudioPlayer& player = *player_;
    auto* spectrum = new SpectrumPanel([&player](FftMagnitudes& magnitudes) {
        return player.GetFft512(player.CurrentStream(), magnitudes) >= 0;
    });
    window_->SetSpectrumPanel(spectrum);
    ControlStrip* strip = window_->Controls();
    stripView_ = std::make_unique<ControlStripView>(*strip, *spectrum);
    playback_ = std::make_unique<PlaybackControls>(*player_, settings_, *stripView_,
                                                   [](int ms) { DelayPumping(ms); });
    trigger_ = std::make_unique<SlotTrigger>(
        *player_, slots_, settings_, folder_, state_, platform_.prompts,
        TriggerHooks{
            .keepOnTopRelease = [this] { KeepOnTopRelease(); },
            .showSoundLoaded = [strip] { strip->ShowStopPicture(true); },
            .soundStarted =
                [this, strip] {
                    strip->ShowPausePicture(ControlStrip::PausePicture::Play);
                    playback_->SoundStarted();
                },
            .offerSlotDialog =
                [this](int n, const std::string& tag) {
                    SelectSlot(state_, n, tag);
                    state_.slotDialogMode = SlotDialogMode::SlotSound;
                    if (openSlotDialog) {
                        openSlotDialog(SlotDialogMode::SlotSound);
                    }
                },
        });
    BottomLine* bottom = window_->Bottom();
    devices_ = std::make_unique<OutputDevices>(*player_, settings_, platform_.prompts,
                                               *bottom->Devices(), *bottom->ApplyButton());

    HotkeyActions actions;
    for (int n = 1; n <= kSlotCount; ++n) {
        actions.slotTriggers[static_cast<std::size_t>(n - 1)] = [this, n] { TriggerSlotButton(n); };
    }
    actions.masterSwitch = [this] { ToggleHotkeys(); };
    actions.pauseOrResume = [this] { playback_->PauseOrResume(); };
    actions.stopSound = [this] { playback_->StopSound(); };
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
    connect(grid_.get(), &SlotGrid::slotClicked, this, &Application::TriggerSlotButton);
    connect(strip, &ControlStrip::hotkeySwitchClicked, this, &Application::ToggleHotkeys);
    connect(strip, &ControlStrip::pauseClicked, playback_.get(), &PlaybackControls::PauseOrResume);
    connect(strip, &ControlStrip::stopClicked, playback_.get(), &PlaybackControls::StopSound);
    connect(strip, &ControlStrip::repeatClicked, playback_.get(), &PlaybackControls::ToggleRepeat);
    connect(strip, &ControlStrip::volumeChanged, playback_.get(),
            &PlaybackControls::OnVolumeChanged);
    connect(bottom->Devices(), &DeviceComboBox::aboutToDropDown, devices_.get(),
            &OutputDevices::LoadOutputDevices);
    connect(bottom->OutputLink(), &LinkLabel::pressed, devices_.get(),
            &OutputDevices::ExplainOutput);

    WireSlotEditing(*this);
    WireLeaving(*this);
}

Application::~Application() = default;

void Application::OnMainWindowCreated() {
    window_->setWindowTitle(QString::fromStdString(settings_.Read(setting::kTitle)));
    UpdateTrayIcon();
    player_->Init(kDefaultDevice);
    state_.slotListPath = slots_.ListPath();
    RestorePage();
    grid_->LoadSlotGrid();
    devices_->LoadOutputDevices();
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
    player_->Stop(player_->CurrentStream());
    player_->FreeStream(player_->CurrentStream());
    player_->Free();
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
    trigger_->TriggerSlot(grid_->Tag(n).toStdString());
}

void Application::ToggleHotkeys() {
    const std::optional<bool> on = ToggleSwitch(settings_, setting::kHotkeysOn);
    if (!on) {
        return;
    }
    registry_->RegisterAllHotkeys();
    window_->Controls()->HotkeySwitch()->ShowState(*on);
    UpdateTrayIcon();
}

}  // namespace vorlune
