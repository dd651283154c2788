#include "audio/controls/OutputDevices.h"

#include <QComboBox>
#include <QPushButton>

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

void OutputDevices::LoadOutputDevices() {
    list_.clear();
    for (int n = 1; n <= kMaxDevices; ++n) {
        if (const auto info = player_.GetDeviceInfo(n)) {
            list_.insertItem(n - 1, QString::fromStdString(info->name), n);
        }
    }
    const std::string saved = settings_.Read(setting::kOutputDevice);
    if (saved.empty()) {
        player_.Init(kDefaultDevice);
        list_.setCurrentIndex(list_.count() > 0 ? 0 : -1);
        return;
    }
    const int device = LeadingInt(saved);
    player_.Init(device);
    list_.setCurrentIndex(device - 1 < list_.count() ? device - 1 : -1);
}

void OutputDevices::ApplyOutputDevice() {
    player_.Free();
    const int index = list_.currentIndex();
    const int device = index >= 0 ? list_.itemData(index).toInt() : kDefaultDevice;
    if (!player_.Init(device)) {
        return;
    }
    settings_.Write(setting::kOutputDevice, std::to_string(device));
    apply_.setEnabled(false);
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
