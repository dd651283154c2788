#pragma once

#include <deque>
#include <functional>
#include <vector>

#include "base/Prompts.h"

namespace vorlune::test {

// Records every message and answers from a script; with the script empty it answers the
// prompt's default button.
class FakePrompts final : public Prompts {
  public:
    PromptAnswer Show(const Prompt& prompt) override;
    void Answer(PromptAnswer answer) { script_.push_back(answer); }

    std::vector<Prompt> shown;
    // Runs while the box is open, as events run inside a real one.
    std::function<void(const Prompt&)> whileOpen;

  private:
    std::deque<PromptAnswer> script_;
};

}  // namespace vorlune::test
