#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "slots/editing/SlotEditingServices.h"

namespace vorlune {

// Audio files dropped from a file manager onto a slot button. Each goes in as "应用" on the
// slot dialog's sound page would put it: named after the file without its extension. One file
// goes onto the slot; several fill it and the empty slots after it on the same page, in the
// dropped order. A slot that holds a sound is replaced only when the user says Yes; files that
// are refused or find no slot are reported.
class SlotSoundDrop {
  public:
    explicit SlotSoundDrop(const SlotEditingServices& services) : services_(services) {}

    void DropFiles(std::int32_t n, const std::vector<std::string>& paths);

  private:
    [[nodiscard]] bool IsEmpty(std::int32_t n) const;
    void Tell(const std::string& text);

    SlotEditingServices services_;
};

}  // namespace vorlune
