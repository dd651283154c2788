#include "audio/controls/DeviceList.h"

#include <QComboBox>

#include "audio/MicrophoneSystem.h"
#include "base/NumberText.h"

namespace vorlune {

namespace {

constexpr int kIdRole = Qt::UserRole + 1;

}  // namespace

DeviceListing FillDeviceList(QComboBox& list, const AudioPlayer& player, const SavedDevice& saved) {
    DeviceListing listing;
    list.clear();
    const std::vector<DeviceInfo> devices = ListDevices(player);
    // The program's own sink is left out; the others keep their numbers as item data.
    for (int n = 1; const DeviceInfo& info : devices) {
        if (!IsVirtualMicrophoneDevice(info.id)) {
            list.addItem(QString::fromStdString(info.name), n);
            list.setItemData(list.count() - 1, QString::fromStdString(info.id), kIdRole);
        }
        ++n;
    }
    listing.devices = list.count();
    const bool named = !saved.name.empty() || !saved.id.empty();
    const std::optional<int> found = FindSavedDevice(saved, devices);
    if (named && found && *found != kDefaultDevice) {
        listing.savedDevice = found;
        listing.savedIndex = list.findData(*found);
    } else if (named) {
        const std::string shown = saved.name.empty() ? saved.id : saved.name;
        list.addItem(QString::fromStdString(shown) + QString::fromUtf8(kNotConnected), kMissing);
        listing.savedIndex = list.count() - 1;
    } else if (!saved.number.empty()) {
        // findData answers -1 for a number past the list, and for the program's own sink.
        const int device = LeadingInt(saved.number);
        listing.savedIndex = device >= 1 ? list.findData(device) : -1;
    }
    return listing;
}

std::optional<ListedDevice> DeviceOfItem(const QComboBox& list, int index,
                                         const AudioPlayer& player) {
    if (index < 0 || index >= list.count() || list.itemData(index).toInt() == kMissing) {
        return std::nullopt;
    }
    const std::string id = list.itemData(index, kIdRole).toString().toStdString();
    const std::string name = list.itemText(index).toStdString();
    const std::vector<DeviceInfo> devices = ListDevices(player);
    const std::optional<int> number =
        FindSavedDevice({.name = name, .number = {}, .id = id}, devices);
    if (!number || *number == kDefaultDevice) {
        return std::nullopt;
    }
    return ListedDevice{*number, devices[static_cast<std::size_t>(*number - 1)]};
}

}  // namespace vorlune
