#include "audio/controls/OutputDevices.h"

#include <QComboBox>
#include <QPushButton>
#include <QTimer>

#include "audio/MicrophoneSystem.h"
#include "audio/OutputKeeper.h"
#include "audio/controls/DeviceList.h"
#include "base/NumberText.h"

namespace vorlune {

OutputDevices::OutputDevices(AudioPlayer& player, SettingsStore& settings, Prompts& prompts,
                             QComboBox& list, QPushButton& apply, QObject* parent)
    : QObject(parent),
      player_(player),
      settings_(settings),
      prompts_(prompts),
      list_(list),
      apply_(apply) {
    // Only the user's own choice enables "应用"; selecting from the program does not.
    connect(&list_, &QComboBox::activated, &apply_, [this] { apply_.setEnabled(true); });
    connect(&apply_, &QPushButton::clicked, this, &OutputDevices::ApplyOutputDevice);
}

std::optional<int> OutputDevices::FillList() {
    const SavedDevice saved = ReadSavedDevice(settings_, kOutputDeviceKeys);
    const DeviceListing listing = FillDeviceList(list_, player_, saved);
    if (!saved.name.empty() || !saved.id.empty()) {
        list_.setCurrentIndex(listing.savedIndex);
        return listing.savedDevice;
    }
    // No name saved (older files): the number alone, as it always was.
    if (saved.number.empty()) {
        list_.setCurrentIndex(list_.count() > 0 ? 0 : -1);
        return kDefaultDevice;
    }
    list_.setCurrentIndex(listing.savedIndex);
    const int number = LeadingInt(saved.number);
    // Never the program's own sink, which no list shows.
    if (const std::optional<DeviceInfo> info = player_.GetDeviceInfo(number);
        info && IsVirtualMicrophoneDevice(info->id)) {
        return std::nullopt;
    }
    return number;
}

void OutputDevices::LoadOutputDevices() {
    if (const std::optional<int> device = FillList()) {
        player_.Init(*device);
    }
}

void OutputDevices::RelistOutputDevices() {
    if (!apply_.isEnabled()) {
        FillList();
    }
}

void OutputDevices::ApplyOutputDevice() {
    const int index = list_.currentIndex();
    if (index >= 0 && list_.itemData(index).toInt() == kMissing) {
        // The saved device is not there: the default plays on, and the choice stays saved.
        apply_.setEnabled(false);
        prompts_.Show({.text = "所选设备未连接，声音暂由系统默认设备播放，设备连接后自动换回",
                       .icon = PromptIcon::Information});
        return;
    }
    // The device is looked up again: outputs may have come or gone since the list was filled,
    // and its number with them.
    const std::optional<ListedDevice> listed =
        index >= 0 ? DeviceOfItem(list_, index, player_) : std::nullopt;
    if (index >= 0 && !listed) {
        ReportFailedApply();
        return;
    }
    const int device = listed ? listed->number : kDefaultDevice;
    // The new output is opened (or made current, when it is open already as the monitor, say)
    // and the old one kept until the sound server has set the new one up: a device that cannot
    // be opened leaves the sound where it is.
    const std::optional<int> before = player_.CurrentDevice();
    if (!player_.SetDevice(device) && !player_.Init(device)) {
        ReportFailedApply();
        return;
    }
    apply_.setEnabled(false);
    applying_ = Applying{device, before, listed ? listed->info : DeviceInfo{},
                         list_.currentText().toStdString(), 0};
    ConfirmApply();
}

void OutputDevices::ConfirmApply() {
    if (!applying_) {
        return;
    }
    Applying& applying = *applying_;
    const DeviceState state = player_.DeviceStateOf(applying.device);
    if (state == DeviceState::Opening && ++applying.looks < kConfirmLooks) {
        QTimer::singleShot(kConfirmPeriodMs, this, &OutputDevices::ConfirmApply);
        return;
    }
    const Applying done = std::move(applying);
    applying_.reset();
    if (state != DeviceState::Open) {
        // Not set up in time, or failed at once: closed again, and the sound stays where it was.
        if (player_.SetDevice(done.device)) {
            player_.Free();
        }
        if (done.before) {
            player_.SetDevice(*done.before);
        }
        ReportFailedApply();
        emit outputApplied();
        return;
    }
    const std::optional<int> monitor = player_.Monitor();
    if (done.before && *done.before != done.device && done.before != monitor &&
        player_.SetDevice(*done.before)) {
        player_.Free();
    }
    player_.SetDevice(done.device);
    SaveDevice(settings_, kOutputDeviceKeys, done.device, done.info);
    emit outputApplied();
    prompts_.Show(
        {.text = "通道选择完毕\r\n当前通道为:" + done.shown, .icon = PromptIcon::Information});
}

void OutputDevices::ReportFailedApply() {
    prompts_.Show({.text = "所选设备无法打开，请重新选择", .icon = PromptIcon::Information});
    RelistAfterFailure();
}

void OutputDevices::RelistAfterFailure() {
    apply_.setEnabled(false);
    FillList();
}

void OutputDevices::ExplainOutput() {
    prompts_.Show(
        {.text = "右边下拉框将罗列您当前电脑所有的音源输出通道，请根据具体情况来选择对应通道，"
                 "如果发现没有适合的通道，重启音效软件再选择。",
         .icon = PromptIcon::Information});
}

}  // namespace vorlune
