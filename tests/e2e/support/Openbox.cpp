#include "Openbox.h"

#include <chrono>

#include "Commands.h"
#include "TempDir.h"

namespace vorlune::test {
namespace {

using namespace std::chrono_literals;

// No key or mouse bindings of its own besides focusing a window that is clicked.
constexpr char kConfig[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <focus><focusNew>yes</focusNew><followMouse>no</followMouse></focus>
  <placement><policy>Smart</policy></placement>
  <desktops><number>1</number></desktops>
  <keyboard></keyboard>
  <mouse>
    <context name="Client">
      <mousebind button="Left" action="Press"><action name="Focus"/></mousebind>
    </context>
  </mouse>
</openbox_config>
)";

}  // namespace

bool Openbox::Start() {
    const std::string config = folder_ + "/openbox-rc.xml";
    WriteFileBytes(config, kConfig);
    process_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"openbox", "--sm-disable", "--config-file", config},
        ChildProcess::Options{.outputPath = folder_ + "/openbox.log",
                              .stderrToo = true,
                              .environment = {{"XDG_CONFIG_HOME", folder_ + "/openbox-config"},
                                              {"XDG_CACHE_HOME", folder_ + "/openbox-cache"}}});
    // A window manager announces itself on the root window (EWMH).
    return process_->Started() && WaitFor(
                                      [] {
                                          return Run(
                                              "xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | "
                                              "grep -q 'window id'");
                                      },
                                      10s);
}

bool Openbox::Minimise(std::uint32_t window) const {
    return Run("xdotool windowminimize " + std::to_string(window));
}

std::string Openbox::Log() const {
    return ReadFileBytes(folder_ + "/openbox.log");
}

}  // namespace vorlune::test
