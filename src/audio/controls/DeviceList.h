#pragma once

#include <optional>
#include <string>

#include "audio/AudioPlayer.h"
#include "audio/OutputKeeper.h"

class QComboBox;

namespace vorlune {

// What FillDeviceList put in a list.
struct DeviceListing {
    int devices = 0;  // items 0..devices-1 are devices, each with its number as data
    // The item of the saved device: of its name (present or missing), or without a name (older
    // files) of its number when that is in the list; -1 when there is none.
    int savedIndex = -1;
    std::optional<int> savedDevice;  // the saved name's device number, when it is there
};

// The mark of a saved device that is not there now, and the item data it has.
inline constexpr char kNotConnected[] = "(未连接)";
inline constexpr int kMissing = 0;

// Fills `list` with the engine's devices 1..N but the program's own sink, each item showing the
// name of a device with its number as its data and the server's name of the device beside it. A
// saved device that is not there is listed last, marked "(未连接)", with the data 0, so the user
// sees what the program waits for.
DeviceListing FillDeviceList(QComboBox& list, const AudioPlayer& player, const SavedDevice& saved);

// The device an item of such a list stands for, looked up in the engine's list now (outputs may
// have come or gone since the list was filled): by the server's name, else by the name shown.
// Nothing for the "(未连接)" item or a device that has gone.
struct ListedDevice {
    int number = 0;
    DeviceInfo info;
};
std::optional<ListedDevice> DeviceOfItem(const QComboBox& list, int index,
                                         const AudioPlayer& player);

}  // namespace vorlune
