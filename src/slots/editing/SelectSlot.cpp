#include "slots/editing/SelectSlot.h"

#include <string>

#include "base/NumberText.h"
#include "slots/SlotStore.h"

namespace vorlune {

void SelectSlot(AppState& state, std::int32_t n, std::string_view tag) {
    state.currentSlotSection = SlotStore::SectionOf(n);
    state.currentSlotRef = std::string(tag);
    state.currentSlotNumber = SlotNumberOfSection(state.currentSlotSection);
}

std::int32_t SlotNumberOfSection(std::string_view section) {
    constexpr std::string_view kXiao = "效";
    const std::size_t at = section.rfind(kXiao);
    if (at == std::string_view::npos) {
        return 0;
    }
    std::string digits;
    for (const char c : section.substr(at + kXiao.size())) {
        if (c >= '0' && c <= '9') {
            digits += c;
        }
    }
    return digits.empty() ? 0 : LeadingInt(digits);
}

}  // namespace vorlune
