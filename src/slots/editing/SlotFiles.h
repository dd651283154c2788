#pragma once

#include <string>
#include <string_view>

namespace vorlune {

// The file name part of a path ("/" and "\" both separate); empty when the path ends in a
// separator. Without keepExtension the text from the name's last dot on is cut off.
std::string FileNameOfPath(std::string_view path, bool keepExtension);

}  // namespace vorlune
