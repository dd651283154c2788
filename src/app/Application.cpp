#include "app/Application.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QSlider>
#include <QStackedWidget>

#include "app/BottomLine.h"
#include "app/CategoryToolbar.h"
#include "app/ControlStrip.h"
#include "app/DelayPumping.h"
#include "app/KeepAbove.h"
#include "app/RegionWiring.h"
#include "app/SettingsPage.h"
#include "app/SwitchButton.h"
#include "audio/loudness/EbuR128Meter.h"
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

std::array<QWidget*, kCategoryPages> PagesOf(const SlotGrid& grid) {
    std::array<QWidget*, kCategoryPages> pages{};
    for (int p = 0; p < kCategoryPages; ++p) {
        pages[static_cast<std::size_t>(p)] = grid.Page(p);
    }
    return pages;
}

// The spectrum panel in its place on the window, drawing the player's current stream.
SpectrumPanel& AddSpectrumPanel(MainWindow& window, const AudioPlayer& player) {
    auto* spectrum = new SpectrumPanel([&player](FftMagnitudes& magnitudes) {
        return player.GetFft512(player.CurrentStream(), magnitudes) >= 0;
    });
    window.SetSpectrumPanel(spectrum);
    return *spectrum;
}

HotkeyRegistry::LabelWriter LabelsOn(ControlStrip& strip) {
    return [&strip](SpecialHotkey which, const std::string& text) {
        strip.HotkeyLabel(which)->setText(QString::fromStdString(text));
    };
}

}  // namespace

Application::Application(const ProgramFolder& folder, const DataFolder& data, AppState& state,
                         Platform platform)
    : settings_(files_, data),
      slots_(files_, data, folder),
      levels_(data.Join(kLoudnessCacheFile), MeasureLoudness),
      player_(platform.audio),
      // Sounds go to the virtual microphone's sink while the sound server offers it.
      keeper_(player_, settings_,
              [&microphone = platform.microphone] {
                  return microphone.Status().state == VirtualMicrophoneState::On;
              }),
      grid_(slots_),
      window_(PagesOf(grid_)),
      spectrum_(AddSpectrumPanel(window_, player_)),
      tray_(platform.tray),
      onTop_(settings_, platform.keepAbove, window_, *window_.Settings()->OnTopSwitch()),
      levelling_(settings_, levels_, grid_, folder, *window_.Settings()->LevellingSwitch()),
      registry_(
          platform.hotkeys, settings_,
          [&store = slots_](std::int32_t n) { return store.ReadSlotHotkey(n); },
          LabelsOn(*window_.Controls()), [] { QCoreApplication::processEvents(); },
          [&store = slots_](std::int32_t n) { return store.ReadSlotName(n); }),
      hotkeyStatus_(registry_, window_),
      hotkeySwitch_(settings_, registry_, *window_.Controls()->HotkeySwitch(), tray_, window_),
      stripView_(*window_.Controls(), spectrum_),
      // The monitor timer is one of the window's objects, as the spectrum's timer is.
      playback_(
          player_, settings_, stripView_, [](int ms) { DelayPumping(ms); }, &window_),
      watch_(keeper_, player_),
      trigger_(player_, watch_, slots_, settings_, folder, state, platform.prompts, onTop_),
      devices_(player_, settings_, platform.prompts, *window_.Bottom()->Devices(),
               *window_.Bottom()->ApplyButton()),
      monitorView_(*window_.Settings()),
      monitor_(player_, settings_, *window_.Settings()->MonitorDevices(), monitorView_),
      microphoneView_(*window_.Settings()),
      microphone_(platform.microphone, settings_, *window_.Settings()->Microphones(),
                  microphoneView_),
      commands_(grid_, trigger_, playback_, hotkeySwitch_, settings_,
                *window_.Controls()->Volume()),
      dispatch_(platform.hotkeys, commands_, registry_),
      editing_(
          SlotEditingServices{
              .state = state,
              .slotStore = slots_,
              .settings = settings_,
              .folder = folder,
              .prompts = platform.prompts,
              .desktop = platform.desktop,
              .grid = grid_,
              .hotkeys = registry_,
              .onTop = onTop_,
          },
          platform.keyWatcher),
      // A Wayland desktop never tells the program of a minimise: its tray menu hides the window.
      trayController_(window_, platform.tray,
                      QGuiApplication::platformName().startsWith(QStringLiteral("wayland"))
                          ? TrayHiding::AlsoFromMenu
                          : TrayHiding::OnMinimise),
      exit_(platform.prompts, onTop_, ExitParts{playback_.MonitorTimer(), player_, slots_, tray_},
            platform.exit),
      links_(settings_, platform.desktop, platform.prompts, folder),
      remoteStatus_(settings_, slots_, player_, state, folder),
      remote_(platform.remote),
      phone_(settings_, commands_, remoteStatus_) {
    ControlStrip* strip = window_.Controls();
    BottomLine* bottom = window_.Bottom();
    connect(window_.Toolbar(), &CategoryToolbar::categoryClicked, this,
            &Application::SelectCategory);
    connect(window_.Settings(), &SettingsPage::onTopClicked, this, [this] { onTop_.Toggle(); });
    connect(&grid_, &SlotGrid::slotClicked, this, [this](int n) { commands_.PlaySlot(n); });
    connect(&grid_, &SlotGrid::filled, this, [this] { registry_.RegisterAllHotkeys(); });
    // Loudness levelling: the gain of each new stream, and the slots' files measured.
    player_.SetLevelling([this](const std::string& path) { return levelling_.LevelOf(path); });
    connect(window_.Settings(), &SettingsPage::levellingClicked, this,
            [this] { levelling_.Toggle(); });
    connect(&grid_, &SlotGrid::filled, this, [this] { levelling_.SlotsChanged(); });
    connect(strip, &ControlStrip::hotkeySwitchClicked, this, [this] { hotkeySwitch_.Toggle(); });
    connect(strip, &ControlStrip::pauseClicked, &playback_, &PlaybackControls::PauseOrResume);
    connect(strip, &ControlStrip::stopClicked, &playback_, &PlaybackControls::StopSound);
    connect(strip, &ControlStrip::repeatClicked, &playback_, &PlaybackControls::ToggleRepeat);
    connect(strip, &ControlStrip::volumeChanged, &playback_, &PlaybackControls::OnVolumeChanged);
    connect(&trigger_, &SlotTrigger::soundLoaded, strip, [strip] { strip->ShowStopPicture(true); });
    connect(&trigger_, &SlotTrigger::soundStarted, this, [this, strip] {
        strip->ShowPausePicture(ControlStrip::PausePicture::Play);
        playback_.SoundStarted();
    });
    connect(bottom->Devices(), &DeviceComboBox::aboutToDropDown, &devices_,
            &OutputDevices::LoadOutputDevices);
    connect(bottom->OutputLink(), &LinkLabel::pressed, &devices_, &OutputDevices::ExplainOutput);
    connect(&devices_, &OutputDevices::outputApplied, &watch_, &OutputWatch::Refresh);
    connect(&watch_, &OutputWatch::outputsChanged, &devices_, &OutputDevices::RelistOutputDevices);
    connect(&watch_, &OutputWatch::currentOutputLost, &playback_, &PlaybackControls::EndSound);
    connect(&watch_, &OutputWatch::statusText, &window_, &MainWindow::SetStatusText);
    connect(&trigger_, &SlotTrigger::statusText, &window_, &MainWindow::SetStatusText);
    connect(&playback_, &PlaybackControls::statusText, &window_, &MainWindow::SetStatusText);
    SettingsPage* page = window_.Settings();
    connect(page->MonitorDevices(), &DeviceComboBox::aboutToDropDown, &monitor_,
            &MonitorControls::LoadMonitorDevices);
    connect(page, &SettingsPage::monitorSwitchClicked, &monitor_, &MonitorControls::ToggleMonitor);
    connect(page, &SettingsPage::monitorVolumeChanged, &monitor_,
            &MonitorControls::OnMonitorVolumeChanged);
    connect(&monitor_, &MonitorControls::monitorChanged, &watch_, &OutputWatch::Refresh);
    connect(&watch_, &OutputWatch::outputsChanged, &monitor_, &MonitorControls::LoadMonitorDevices);
    connect(page->Microphones(), &DeviceComboBox::aboutToDropDown, &microphone_,
            &VirtualMicrophoneControls::LoadMicrophones);
    connect(page, &SettingsPage::microphoneSwitchClicked, &microphone_,
            &VirtualMicrophoneControls::ToggleMicrophone);
    connect(page, &SettingsPage::microphoneDefaultClicked, &microphone_,
            &VirtualMicrophoneControls::ToggleMakeDefault);
    connect(&microphone_, &VirtualMicrophoneControls::microphoneChanged, &watch_,
            &OutputWatch::Refresh);
    connect(&microphone_, &VirtualMicrophoneControls::statusText, &window_,
            &MainWindow::SetStatusText);

    // A desktop portal answers a bind later, maybe after asking the user: the open slot dialog
    // finishes its report, and the status bar tells of hotkeys the desktop gave other keys or
    // refused. A shortcut it fires reaches the slot dialog's capture too, since it reaches no
    // window.
    registry_.SetAnsweredHandler([this] {
        editing_.HotkeysAnswered();
        hotkeyStatus_.Update();
    });
    dispatch_.SetActedHandler([this](std::int32_t id) { editing_.DesktopShortcutFired(id); });

    // Remote callers hear of every change, whichever way it came (click, hotkey, remote call,
    // the end of a sound).
    if (remote_ != nullptr) {
        const auto tell = [this] { remote_->StateMayHaveChanged(); };
        connect(&playback_, &PlaybackControls::changed, this, tell);
        connect(&hotkeySwitch_, &HotkeySwitch::toggled, this, tell);
        connect(&trigger_, &SlotTrigger::soundStarted, this, tell);
    }

    // The phone page hears the same changes and shows its switch and link on the settings page.
    const auto tellPhone = [this] { phone_.StateMayHaveChanged(); };
    connect(&playback_, &PlaybackControls::changed, this, tellPhone);
    connect(&hotkeySwitch_, &HotkeySwitch::toggled, this, tellPhone);
    connect(&trigger_, &SlotTrigger::soundStarted, this, tellPhone);
    connect(page, &SettingsPage::phoneSwitchClicked, &phone_, &PhoneRemote::Toggle);
    connect(page, &SettingsPage::phoneNewSecretClicked, &phone_, &PhoneRemote::NewSecret);
    connect(&phone_, &PhoneRemote::changed, this,
            [this, page] { page->ShowPhone(phone_.On(), phone_.Link(), phone_.QrCode()); });

    ConnectSlotEditing(editing_, grid_, *strip, *window_.Settings(), trigger_);
    ConnectLeaving(window_, trayController_, exit_, links_);

    // A settings or slot file that exists and cannot be read refuses every write until it reads
    // again; the user hears of it once. The volume's writing thread may be the one to find it.
    files_.OnUnreadable([this](const std::string& path) {
        const QString notice =
            QStringLiteral("无法读取文件 %1，为保护其中的内容，在能够读取之前不会保存任何修改")
                .arg(QString::fromStdString(path));
        QMetaObject::invokeMethod(
            &window_, [this, notice] { window_.AddStatusNotice(notice); }, Qt::QueuedConnection);
    });
}

Application::~Application() {
    // Nothing may be posted to the window once it starts to go.
    files_.OnUnreadable(nullptr);
    CloseRemote();
}

void Application::CloseRemote() {
    if (remote_ != nullptr) {
        remote_->Close();
    }
}

void Application::OnMainWindowCreated() {
    window_.setWindowTitle(QString::fromStdString(settings_.Read(setting::kTitle)));
    hotkeySwitch_.ShowInTray();
    RestorePage();
    grid_.LoadSlotGrid();
    devices_.LoadOutputDevices();
    monitor_.LoadMonitorControls();
    microphone_.LoadMicrophoneControls();
    watch_.Refresh();
    RestoreSwitchStates();
    RestoreVolume();
    onTop_.Restore();
    levelling_.Restore();
    hotkeyStatus_.SayStanding();
    // Remote calls are answered once the slots are loaded; the same commands as a click.
    if (remote_ != nullptr) {
        remote_->Serve(commands_, remoteStatus_, [this] { trayController_.ShowMainWindow(); });
    }
    phone_.Restore();
}

void Application::SayOtherCopiesUnchecked() {
    window_.AddStatusNotice(QStringLiteral("无法检查是否已有一份软件在运行，本次照常启动"));
}

void Application::EndWithoutQuestion() {
    exit_.ExitApplication();
}

void Application::ShowMainWindow() {
    window_.show();
}

void Application::OnMainWindowDestroyed() {
    CloseRemote();
    phone_.Stop();
    registry_.UnregisterAllHotkeys();
    player_.Stop(player_.CurrentStream());
    player_.FreeStream(player_.CurrentStream());
    player_.Free();
}

void Application::RestorePage() {
    const std::int32_t page = settings_.ReadInt(setting::kPage);
    if (page >= 0 && page < kCategoryPages) {
        window_.Pages()->setCurrentIndex(page);
        window_.Toolbar()->MarkOnly(page);
    }
}

void Application::RestoreSwitchStates() {
    const std::string folder = settings_.Read(setting::kPageName);
    for (int i = 0; i < kCategoryPages; ++i) {
        if (folder == kCategoryFolders[static_cast<std::size_t>(i)]) {
            window_.Toolbar()->AddMark(i + 1);
        }
    }
    const auto show = [this](SwitchButton* button, const SettingKey& key) {
        const SwitchButton::Picture picture = PictureOf(settings_.ReadInt(key));
        if (picture != SwitchButton::Picture::Loaded) {
            button->ShowPicture(picture);
        }
    };
    show(window_.Controls()->HotkeySwitch(), setting::kHotkeysOn);
    show(window_.Controls()->RepeatSwitch(), setting::kRepeat);
    show(window_.Settings()->OnTopSwitch(), setting::kOnTop);
}

void Application::RestoreVolume() {
    QSlider* slider = window_.Controls()->Volume();
    const QSignalBlocker quiet(slider);  // restoring the position is not a user's change
    slider->setValue(settings_.ReadInt(setting::kVolume));
    window_.Controls()->VolumeLabel()->setText(QString::number(slider->value()) + QLatin1Char('%'));
}

void Application::SelectCategory(int page) {
    if (page >= 0 && page < kCategoryPages) {
        settings_.Write(setting::kPage, std::to_string(page));
    }
    window_.Toolbar()->MarkOnly(page);
    window_.Pages()->setCurrentIndex(page);
}

}  // namespace vorlune
