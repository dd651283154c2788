#pragma once

namespace vorlune {

// Takes the main window out of always-on-top, when the setting has it there, before a message
// or a dialog shows, so that it does not open behind the window. Nothing puts the window back
// until the switch is pressed again.
class OnTopRelease {
  public:
    virtual ~OnTopRelease() = default;
    virtual void KeepOnTopRelease() = 0;
};

}  // namespace vorlune
