#pragma once

#include "base/Prompts.h"

namespace vorlune {

// Prompts as task-modal message boxes without an owner window.
class MessageBoxPrompts final : public Prompts {
  public:
    PromptAnswer Show(const Prompt& prompt) override;
};

}  // namespace vorlune
