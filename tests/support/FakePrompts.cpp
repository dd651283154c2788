#include "FakePrompts.h"

namespace vorlune::test {

PromptAnswer FakePrompts::Show(const Prompt& prompt) {
    shown.push_back(prompt);
    if (whileOpen) {
        whileOpen(prompt);
    }
    if (script_.empty()) {
        return prompt.defaultButton;
    }
    const PromptAnswer answer = script_.front();
    script_.pop_front();
    return answer;
}

}  // namespace vorlune::test
