#include "audio/controls/DeviceList.h"

#include <QComboBox>

namespace vorlune {

namespace {

constexpr int kMaxDevices = 128;

}  // namespace

DeviceListing FillDeviceList(QComboBox& list, const AudioPlayer& player,
                             const std::string& savedName) {
    DeviceListing listing;
    list.clear();
    for (int n = 1; n <= kMaxDevices; ++n) {
        const std::optional<DeviceInfo> info = player.GetDeviceInfo(n);
        if (!info) {
            continue;
        }
        list.insertItem(n - 1, QString::fromStdString(info->name), n);
        if (!listing.savedDevice && !savedName.empty() && info->name == savedName) {
            listing.savedDevice = n;
            listing.savedIndex = n - 1;
        }
        listing.devices = n;
    }
    if (!savedName.empty() && !listing.savedDevice) {
        list.addItem(QString::fromStdString(savedName) + QString::fromUtf8(kNotConnected),
                     kMissing);
        listing.savedIndex = list.count() - 1;
    }
    return listing;
}

int NumberOf(const AudioPlayer& player, const std::string& name) {
    for (int n = 1; n <= kMaxDevices; ++n) {
        const std::optional<DeviceInfo> info = player.GetDeviceInfo(n);
        if (info && info->name == name) {
            return n;
        }
    }
    return kMissing;
}

}  // namespace vorlune
