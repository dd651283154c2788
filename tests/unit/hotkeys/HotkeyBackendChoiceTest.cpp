#include <gtest/gtest.h>

#include "hotkeys/HotkeyBackendChoice.h"

namespace vorlune {
namespace {

using Kind = HotkeyBackendKind;

struct Asked {
    int portal = 0;
    int x11 = 0;
};

HotkeySession Session(Asked& asked, bool portal, bool x11, bool wayland,
                      std::string_view qt = "xcb", std::string_view forced = "") {
    return {.forced = forced,
            .qtPlatform = qt,
            .waylandSession = wayland,
            .portalOffersShortcuts = [&asked, portal] { return ++asked.portal, portal; },
            .x11Reachable = [&asked, x11] { return ++asked.x11, x11; }};
}

TEST(HotkeyBackendChoice, WaylandSessionsUseThePortalX11SessionsTheirServerOthersClicksOnly) {
    Asked asked;
    // A Wayland desktop with the portal: the portal, even with XWayland there too.
    EXPECT_EQ(ChooseHotkeyBackend(Session(asked, true, true, true, "wayland")), Kind::Portal);
    EXPECT_EQ(ChooseHotkeyBackend(Session(asked, true, true, true, "xcb")), Kind::Portal);
    EXPECT_EQ(asked.x11, 0);
    // Without the portal: XWayland's grabs, else nothing.
    EXPECT_EQ(ChooseHotkeyBackend(Session(asked, false, true, true, "wayland")), Kind::X11);
    EXPECT_EQ(ChooseHotkeyBackend(Session(asked, false, false, true, "wayland")), Kind::None);
    // An X11 session: the portal is not even asked.
    asked = {};
    EXPECT_EQ(ChooseHotkeyBackend(Session(asked, true, true, false)), Kind::X11);
    EXPECT_EQ(ChooseHotkeyBackend(Session(asked, true, false, false)), Kind::None);
    EXPECT_EQ(asked.portal, 0);
    // Qt drawing off screen holds no desktop's keys.
    asked = {};
    EXPECT_EQ(ChooseHotkeyBackend(Session(asked, true, true, true, "offscreen")), Kind::None);
    EXPECT_EQ(ChooseHotkeyBackend(Session(asked, true, true, false, "minimal")), Kind::None);
    EXPECT_EQ(asked.portal + asked.x11, 0);
}

TEST(HotkeyBackendChoice, VorluneHotkeysForcesABackendWithoutAsking) {
    Asked asked;
    EXPECT_EQ(ChooseHotkeyBackend(Session(asked, true, true, true, "wayland", "x11")), Kind::X11);
    EXPECT_EQ(ChooseHotkeyBackend(Session(asked, false, true, false, "xcb", "portal")),
              Kind::Portal);
    EXPECT_EQ(ChooseHotkeyBackend(Session(asked, true, true, true, "wayland", "none")), Kind::None);
    EXPECT_EQ(asked.portal + asked.x11, 0);
    // Anything else chooses nothing.
    EXPECT_EQ(ChooseHotkeyBackend(Session(asked, true, true, true, "wayland", "X11")),
              Kind::Portal);
    EXPECT_EQ(ChooseHotkeyBackend(Session(asked, false, true, true, "xcb", "kde")), Kind::X11);
}

TEST(HotkeyBackendChoice, TheCaptureWatchesTypedKeysOnWaylandAndWithThePortal) {
    EXPECT_EQ(ChooseKeyWatcher(Kind::Portal, "wayland"), KeyWatcherKind::Typed);
    EXPECT_EQ(ChooseKeyWatcher(Kind::Portal, "xcb"), KeyWatcherKind::Typed);
    EXPECT_EQ(ChooseKeyWatcher(Kind::X11, "wayland"), KeyWatcherKind::Typed);
    EXPECT_EQ(ChooseKeyWatcher(Kind::None, "wayland"), KeyWatcherKind::Typed);
    EXPECT_EQ(ChooseKeyWatcher(Kind::X11, "xcb"), KeyWatcherKind::X11);
    EXPECT_EQ(ChooseKeyWatcher(Kind::None, "xcb"), KeyWatcherKind::None);
    EXPECT_EQ(ChooseKeyWatcher(Kind::None, "offscreen"), KeyWatcherKind::None);
}

}  // namespace
}  // namespace vorlune
