#pragma once

#include "base/Prompts.h"

namespace vorlune {

// Tells that there is no output to play on. Hotkeys are pressed over a game: while the outputs
// stay away only the first failed trigger shows a box, and never a second one while it is
// open; every failure still gets the status text from the trigger.
class NoOutputNotice {
  public:
    static constexpr char kText[] = "没有可用的音频输出设备";

    explicit NoOutputNotice(Prompts& prompts) : prompts_(prompts) {}

    // A trigger found an output again: the next time there is none is told in a box again.
    void OutputsBack() { told_ = false; }
    // A trigger found no output.
    void Tell();

  private:
    Prompts& prompts_;
    bool told_ = false;
};

}  // namespace vorlune
