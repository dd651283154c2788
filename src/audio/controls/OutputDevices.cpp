#include "audio/controls/OutputDevices.h"

#include <QComboBox>
#include <QPushButton>

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
    const SavedDevice saved =
        ReadSavedDevice(settings_, setting::kOutputDevice, setting::kOutputDeviceName);
    const DeviceListing listing = FillDeviceList(list_, player_, saved);
    if (!saved.name.empty()) {
        list_.setCurrentIndex(listing.savedIndex);
        return listing.savedDevice;
    }
    // No name saved (older files): the number alone, as it always was.
    if (saved.number.empty()) {
        list_.setCurrentIndex(list_.count() > 0 ? 0 : -1);
        return kDefaultDevice;
    }
    list_.setCurrentIndex(listing.savedIndex);
    return LeadingInt(saved.number);
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
    player_.Free();
    const int index = list_.currentIndex();
    // The device is looked up again by the name shown: outputs may have come or gone since the
    // list was filled, and its number with them.
    const std::string name = index >= 0 ? list_.itemText(index).toStdString() : std::string();
    const int device = index < 0                                   ? kDefaultDevice
                       : list_.itemData(index).toInt() == kMissing ? kMissing
                                                                   : NumberOf(player_, name);
    // A device that is open already (as the monitor, say) is made current instead.
    if (!player_.Init(device) && !player_.SetDevice(device)) {
        return;
    }
    settings_.Write(setting::kOutputDevice, std::to_string(device));
    settings_.Write(setting::kOutputDeviceName, name);
    apply_.setEnabled(false);
    emit outputApplied();
    prompts_.Show({.text = "通道选择完毕\r\n当前通道为:" + list_.currentText().toStdString(),
                   .icon = PromptIcon::Information});
}

void OutputDevices::ExplainOutput() {
    prompts_.Show(
        {.text = "右边下拉框将罗列您当前电脑所有的音源输出通道，请根据具体情况来选择对应通道，"
                 "如果发现没有适合的通道，重启音效软件再选择。",
         .icon = PromptIcon::Information});
}

}  // namespace vorlune
