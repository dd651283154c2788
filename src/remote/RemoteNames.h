#pragma once

#include <string_view>

namespace vorlune::remote {

// Where the running program answers on the session bus: the desktop entry's name, and the
// object path the desktop derives from it for org.freedesktop.Application.
inline constexpr std::string_view kService = "io.github.vorlune.Vorlune";
inline constexpr std::string_view kPath = "/io/github/vorlune/Vorlune";
inline constexpr std::string_view kInterface = "io.github.vorlune.Vorlune";

// The reasons a call is refused, as D-Bus error names; the error's text says it for people.
inline constexpr std::string_view kNoSuchSlot = "io.github.vorlune.Vorlune.Error.NoSuchSlot";
inline constexpr std::string_view kEmptySlot = "io.github.vorlune.Vorlune.Error.EmptySlot";
inline constexpr std::string_view kMissingFile = "io.github.vorlune.Vorlune.Error.MissingFile";
inline constexpr std::string_view kNoOutput = "io.github.vorlune.Vorlune.Error.NoOutput";
inline constexpr std::string_view kBadValue = "io.github.vorlune.Vorlune.Error.BadValue";

// The desktop entry's actions, also offered through org.freedesktop.Application.ActivateAction.
inline constexpr std::string_view kActionStop = "stop";
inline constexpr std::string_view kActionPause = "pause";
inline constexpr std::string_view kActionHotkeys = "hotkeys";

}  // namespace vorlune::remote
