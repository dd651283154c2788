#include "audio/controls/VirtualMicrophoneControls.h"

#include <QComboBox>
#include <algorithm>

#include "audio/controls/DeviceList.h"
#include "base/NumberText.h"

namespace vorlune {

namespace {

// What an item of the list stands for (its data); a microphone's item holds its id beside it.
enum Item : int { kDefaultItem = 1, kMicrophoneItem, kNoneItem, kMissingItem };
constexpr int kIdRole = Qt::UserRole + 1;

// A real microphone is mixed in unless "混入麦克风" says 0.
bool WithVoice(const SettingsStore& settings) {
    const std::string value = settings.Read(setting::kMicrophoneWithVoice);
    return value.empty() || LeadingInt(value) != 0;
}

}  // namespace

std::optional<MicrophoneEntry> FindSavedMicrophone(const SettingsStore& settings,
                                                   const MicrophoneListing& listing) {
    const std::string id = settings.Read(setting::kMicrophoneId);
    const std::string name = settings.Read(setting::kMicrophoneName);
    const auto& mics = listing.microphones;
    auto it = std::find_if(mics.begin(), mics.end(),
                           [&](const MicrophoneEntry& m) { return !id.empty() && m.id == id; });
    if (it == mics.end()) {
        it = std::find_if(mics.begin(), mics.end(), [&](const MicrophoneEntry& m) {
            return !name.empty() && m.name == name;
        });
    }
    if (it == mics.end() || IsVirtualMicrophoneDevice(it->id)) {
        return std::nullopt;
    }
    return *it;
}

VirtualMicrophoneWish WishFromSettings(const SettingsStore& settings,
                                       const MicrophoneListing& listing) {
    const std::optional<MicrophoneEntry> found = FindSavedMicrophone(settings, listing);
    return VirtualMicrophoneWish{
        .on = settings.ReadInt(setting::kMicrophoneOn) == 1,
        .withVoice = WithVoice(settings),
        .microphone = found ? found->id : std::string(),
        .makeDefault = settings.ReadInt(setting::kMicrophoneDefault) == 1,
    };
}

VirtualMicrophoneControls::VirtualMicrophoneControls(MicrophoneSystem& system,
                                                     SettingsStore& settings, QComboBox& list,
                                                     VirtualMicrophoneView& view, QObject* parent)
    : QObject(parent), system_(system), settings_(settings), list_(list), view_(view) {
    connect(&list_, &QComboBox::activated, this, &VirtualMicrophoneControls::ChooseMicrophone);
    connect(this, &VirtualMicrophoneControls::changeReported, this,
            &VirtualMicrophoneControls::OnSystemChange, Qt::QueuedConnection);
    // Called on a thread of the sound system: only a queued signal crosses over.
    system_.SetChangeListener([this] { emit changeReported(); });
}

VirtualMicrophoneControls::~VirtualMicrophoneControls() {
    system_.SetChangeListener({});
}

void VirtualMicrophoneControls::LoadMicrophoneControls() {
    LoadMicrophones();
    ShowSwitch();
    view_.ShowMakeDefault(settings_.ReadInt(setting::kMicrophoneDefault) == 1);
    Apply();
}

void VirtualMicrophoneControls::LoadMicrophones() {
    const MicrophoneListing listing = system_.Microphones();
    list_.clear();
    list_.addItem(QString::fromUtf8(kDefaultMicrophoneItem), kDefaultItem);
    for (const MicrophoneEntry& mic : listing.microphones) {
        if (!IsVirtualMicrophoneDevice(mic.id)) {
            list_.addItem(QString::fromStdString(mic.name), kMicrophoneItem);
            list_.setItemData(list_.count() - 1, QString::fromStdString(mic.id), kIdRole);
        }
    }
    const std::string id = settings_.Read(setting::kMicrophoneId);
    const std::string name = settings_.Read(setting::kMicrophoneName);
    int selected = 0;
    if (const std::optional<MicrophoneEntry> found = FindSavedMicrophone(settings_, listing)) {
        selected = list_.findData(QString::fromStdString(found->id), kIdRole);
    } else if (!id.empty() || !name.empty()) {
        // Listed as what the program waits for, like a missing output.
        const std::string shown = name.empty() ? id : name;
        list_.addItem(QString::fromStdString(shown) + QString::fromUtf8(kNotConnected),
                      kMissingItem);
        selected = list_.count() - 1;
    }
    list_.addItem(QString::fromUtf8(kNoMicrophoneItem), kNoneItem);
    if (!WithVoice(settings_)) {
        selected = list_.count() - 1;
    }
    list_.setCurrentIndex(selected);
}

void VirtualMicrophoneControls::ChooseMicrophone(int index) {
    if (index < 0 || index >= list_.count()) {
        return;
    }
    switch (list_.itemData(index).toInt()) {
        case kDefaultItem:
            settings_.Write(setting::kMicrophoneWithVoice, "1");
            settings_.Write(setting::kMicrophoneId, "");
            settings_.Write(setting::kMicrophoneName, "");
            break;
        case kMicrophoneItem:
            settings_.Write(setting::kMicrophoneWithVoice, "1");
            settings_.Write(setting::kMicrophoneId,
                            list_.itemData(index, kIdRole).toString().toStdString());
            settings_.Write(setting::kMicrophoneName, list_.itemText(index).toStdString());
            break;
        case kNoneItem:
            // The microphone stays saved, for when it is chosen again.
            settings_.Write(setting::kMicrophoneWithVoice, "0");
            break;
        default:
            // The missing one: the choice stays as saved.
            settings_.Write(setting::kMicrophoneWithVoice, "1");
            break;
    }
    Apply();
}

void VirtualMicrophoneControls::ToggleMicrophone() {
    if (ToggleSwitch(settings_, setting::kMicrophoneOn)) {
        ShowSwitch();
        Apply();
        emit microphoneChanged();
    }
}

void VirtualMicrophoneControls::ToggleMakeDefault() {
    ToggleSwitch(settings_, setting::kMicrophoneDefault);
    // The box shows what is kept, also when the click could not be kept.
    view_.ShowMakeDefault(settings_.ReadInt(setting::kMicrophoneDefault) == 1);
    Apply();
}

QString VirtualMicrophoneControls::FailureText(const std::string& error) {
    return QStringLiteral("虚拟麦克风无法开启：") +
           (error.empty() ? QStringLiteral("声音服务器未能创建它") : QString::fromStdString(error));
}

void VirtualMicrophoneControls::OnSystemChange() {
    LoadMicrophones();
    const VirtualMicrophoneStatus status = system_.Status();
    if (status.state == VirtualMicrophoneState::Failed &&
        settings_.ReadInt(setting::kMicrophoneOn) == 1) {
        // Nobody may be at the screen (this happens at start-up too): a status line, no box.
        settings_.Write(setting::kMicrophoneOn, "0");
        emit statusText(FailureText(status.error));
    }
    ShowSwitch();
    // The saved microphone may have come or gone, or the switch gone off.
    Apply();
    emit microphoneChanged();
}

void VirtualMicrophoneControls::Apply() {
    const VirtualMicrophoneWish wish = WishFromSettings(settings_, system_.Microphones());
    if (applied_ == wish) {
        return;
    }
    applied_ = wish;
    system_.Apply(wish);
}

void VirtualMicrophoneControls::ShowSwitch() {
    view_.ShowMicrophoneSwitch(settings_.ReadInt(setting::kMicrophoneOn) == 1 &&
                               system_.Status().state != VirtualMicrophoneState::Failed);
}

}  // namespace vorlune
