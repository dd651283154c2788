#pragma once

#include <cstdint>
#include <map>
#include <optional>

#include "hotkeys/HotkeyBackend.h"
#include "hotkeys/HotkeyText.h"

namespace vorlune {

// The combinations this program holds, one per id, over any backend. Two ids never hold the
// same combination: the lower id keeps it. Because slots (1-209) come before the pause, stop
// and master switch hotkeys (844, 855, 886), a full registration in that order ends the same
// way whatever was held before it: a later id is refused a combination an earlier id holds,
// and an earlier id takes a combination back from a later one.
class HotkeyClaims {
  public:
    explicit HotkeyClaims(HotkeyBackend& backend) : backend_(backend) {}
    HotkeyClaims(const HotkeyClaims&) = delete;
    HotkeyClaims& operator=(const HotkeyClaims&) = delete;

    // Releases the id's old combination first, then holds the new one (an unchanged one is
    // kept as it is). false (and nothing held) for key code 0, id 0, a combination a lower id
    // holds, or one the system refuses.
    bool Claim(std::int32_t id, HotkeyCombination combination);
    void Release(std::int32_t id);
    void ReleaseAll();

    [[nodiscard]] std::optional<HotkeyCombination> Held(std::int32_t id) const;
    [[nodiscard]] bool Holds(std::int32_t id) const {
        return held_.contains(id) && backend_.StillHolds(id);
    }
    [[nodiscard]] std::size_t Count() const { return held_.size(); }

  private:
    [[nodiscard]] std::optional<std::int32_t> HolderOf(HotkeyCombination combination) const;

    HotkeyBackend& backend_;
    std::map<std::int32_t, HotkeyCombination> held_;
};

}  // namespace vorlune
