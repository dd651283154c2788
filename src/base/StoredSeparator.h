#pragma once

#include <string_view>

namespace vorlune {

// The full-width bar that separates the parts of a stored value: a slot's file reference
// "音效<n>｜<path>" and a stored hotkey "Ctrl｜A键".
inline constexpr std::string_view kStoredSeparator = "｜";

}  // namespace vorlune
