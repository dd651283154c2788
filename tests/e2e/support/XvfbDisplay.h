#pragma once

#include <sys/types.h>

#include <string>

#include "Commands.h"

namespace vorlune::test {

// A private Xvfb on a free display number, stopped (by its process id) when this goes away.
// Start() also points DISPLAY of this process at it, so children such as xdotool use it too.
class XvfbDisplay {
  public:
    XvfbDisplay() = default;
    ~XvfbDisplay();
    XvfbDisplay(const XvfbDisplay&) = delete;
    XvfbDisplay& operator=(const XvfbDisplay&) = delete;

    // screen is Xvfb's "WIDTHxHEIGHTxDEPTH".
    bool Start(const std::string& screen = "640x480x24");
    const std::string& Name() const { return name_; }

  private:
    pid_t pid_ = -1;
    std::string name_;
};

}  // namespace vorlune::test
