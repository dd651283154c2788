#include "slots/editing/SlotFiles.h"

namespace vorlune {

std::string FileNameOfPath(std::string_view path, bool keepExtension) {
    const std::size_t separator = path.find_last_of("/\\");
    std::string_view name = separator == std::string_view::npos ? path : path.substr(separator + 1);
    if (!keepExtension) {
        const std::size_t dot = name.rfind('.');
        if (dot != std::string_view::npos) {
            name = name.substr(0, dot);
        }
    }
    return std::string(name);
}

}  // namespace vorlune
