#pragma once

#include <string>

namespace vorlune {

enum class PromptIcon { None, Information, Question, Warning, Error };
enum class PromptButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class PromptAnswer { Ok, Cancel, Yes, No };

// A message box as data, so that the steps that show one can be tested without a screen.
struct Prompt {
    std::string text;
    std::string caption = "信息：";
    PromptIcon icon = PromptIcon::None;
    PromptButtons buttons = PromptButtons::Ok;
    PromptAnswer defaultButton = PromptAnswer::Ok;

    bool operator==(const Prompt&) const = default;
};

// Shows a message and waits for the answer. Only an answer of Yes is ever acted on.
class Prompts {
  public:
    virtual ~Prompts() = default;
    virtual PromptAnswer Show(const Prompt& prompt) = 0;
};

}  // namespace vorlune
