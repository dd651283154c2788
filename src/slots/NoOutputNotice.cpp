#include "slots/NoOutputNotice.h"

namespace vorlune {

void NoOutputNotice::Tell() {
    if (told_) {
        return;
    }
    // Marked before the box opens: a hotkey pressed while it waits runs inside it.
    told_ = true;
    prompts_.Show({.text = kText, .icon = PromptIcon::Information});
}

}  // namespace vorlune
