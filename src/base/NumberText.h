#pragma once

#include <cstdint>
#include <string_view>

namespace vorlune {

// The leading decimal number of a text, after blanks and an optional sign; 0 when there is
// none. Values beyond 32 bits saturate.
std::int32_t LeadingInt(std::string_view text);

// The same with a decimal fraction allowed ("80.5" reads as 80.5).
double LeadingNumber(std::string_view text);

}  // namespace vorlune
