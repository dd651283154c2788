#pragma once

#include <functional>

#include "base/Prompts.h"
#include "slots/SlotStore.h"

namespace vorlune {

// Puts the factory slot list in place of the live one after the user agreed, then reloads every
// slot once the success message has been closed. Without the factory list only a message is
// shown. A failed copy leaves the live list as it was and says nothing.
void RestoreDefaultSounds(const SlotStore& store, Prompts& prompts,
                          const std::function<void()>& loadSlotGrid);

}  // namespace vorlune
