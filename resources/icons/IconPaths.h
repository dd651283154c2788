#pragma once

#include <string_view>

// Resource paths of the program's artwork (linked in with vorlune_icons).
namespace vorlune::icon {

inline constexpr std::string_view kSwitchOn = ":/icons/switch_on.svg";
inline constexpr std::string_view kSwitchOff = ":/icons/switch_off.svg";
inline constexpr std::string_view kPauseGrey = ":/icons/pause_grey.svg";
inline constexpr std::string_view kPauseGreen = ":/icons/pause_green.svg";
inline constexpr std::string_view kPlayGreen = ":/icons/play_green.svg";
inline constexpr std::string_view kStopGrey = ":/icons/stop_grey.svg";
inline constexpr std::string_view kStopGreen = ":/icons/stop_green.svg";
inline constexpr std::string_view kTrayOn = ":/icons/tray_on.svg";
inline constexpr std::string_view kTrayOff = ":/icons/tray_off.svg";
inline constexpr std::string_view kApp = ":/icons/app.svg";
inline constexpr std::string_view kMessaging = ":/icons/messaging.svg";
inline constexpr std::string_view kShop = ":/icons/shop.svg";
inline constexpr std::string_view kHelp = ":/icons/help.svg";
inline constexpr std::string_view kRestore = ":/icons/restore.svg";

// The disc of toolbar button 1..6 (":/icons/toolbar1.svg" ...); empty for any other number.
std::string_view ToolbarIconPath(int button);

}  // namespace vorlune::icon
