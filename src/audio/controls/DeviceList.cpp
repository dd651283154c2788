#include "audio/controls/DeviceList.h"

#include <QComboBox>
#include <algorithm>

#include "base/NumberText.h"

namespace vorlune {

DeviceListing FillDeviceList(QComboBox& list, const AudioPlayer& player, const SavedDevice& saved) {
    const std::string& savedName = saved.name;
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
    if (savedName.empty() && !saved.number.empty()) {
        const int device = LeadingInt(saved.number);
        listing.savedIndex = device >= 1 && device <= listing.devices ? device - 1 : -1;
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
