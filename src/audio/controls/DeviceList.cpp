#include "audio/controls/DeviceList.h"

#include <QComboBox>
#include <algorithm>

namespace vorlune {

DeviceListing FillDeviceList(QComboBox& list, const AudioPlayer& player,
                             const std::string& savedName) {
    DeviceListing listing;
    list.clear();
    for (const DeviceInfo& info : ListDevices(player)) {
        const int n = ++listing.devices;
        list.addItem(QString::fromStdString(info.name), n);
        if (!listing.savedDevice && !savedName.empty() && info.name == savedName) {
            listing.savedDevice = n;
            listing.savedIndex = n - 1;
        }
    }
    if (!savedName.empty() && !listing.savedDevice) {
        list.addItem(QString::fromStdString(savedName) + QString::fromUtf8(kNotConnected),
                     kMissing);
        listing.savedIndex = list.count() - 1;
    }
    return listing;
}

int NumberOf(const AudioPlayer& player, const std::string& name) {
    const std::vector<DeviceInfo> devices = ListDevices(player);
    const auto it = std::find_if(devices.begin(), devices.end(),
                                 [&](const DeviceInfo& device) { return device.name == name; });
    return it == devices.end() ? kMissing : static_cast<int>(it - devices.begin()) + 1;
}

}  // namespace vorlune
