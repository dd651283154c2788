#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vorlune {

// The arguments of the sound server modules the virtual microphone is made of, and what is read
// back from the arguments of modules a killed program left behind. Names from the server are
// untrusted: only plain device names are ever put into an argument.

// A device name the server could have made itself: letters, digits and `_.-:+`, at most 200
// characters, so it can stand unquoted in a module argument.
bool IsSafeServerName(std::string_view name);

std::string MixSinkArguments();
// `previousDefault` (a safe name, or empty) is kept as a property of the source, so that the
// default capture device can be given back after a crash.
std::string RemapSourceArguments(std::string_view previousDefault);
std::string LoopbackArguments(std::string_view microphone, int latencyMs);

// Whether a module's argument marks it as one of the program's.
bool HasVirtualMicrophoneMark(std::string_view argument);
// The previous default capture device recorded in a module's argument, when it is a safe name.
std::optional<std::string> PreviousDefaultIn(std::string_view argument);

}  // namespace vorlune
