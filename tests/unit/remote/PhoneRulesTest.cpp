// The phone page server's rules: who is let in, what exists, and what the page's words mean.
#include "remote/PhoneRules.h"

#include <gtest/gtest.h>

#include <array>

namespace vorlune {
namespace {

const std::vector<std::string> kHosts{"127.0.0.1", "192.168.1.20"};
constexpr std::uint16_t kPort = 38621;

TEST(PhoneRules, OnlyThePairedSecretAtThisServersOwnAddressIsLetIn) {
    const std::array<std::uint8_t, kPhoneSecretBytes> bytes{0x00, 0x01, 0xab, 0xff, 0x10, 0x20,
                                                            0x30, 0x40, 0x50, 0x60, 0x70, 0x80,
                                                            0x90, 0xa0, 0xb0, 0xc0};
    const std::string secret = PhoneSecretText(bytes);
    EXPECT_EQ(secret, "0001abff102030405060708090a0b0c0");
    EXPECT_TRUE(IsPhoneSecretText(secret));
    // A damaged stored secret is replaced, not used.
    EXPECT_FALSE(IsPhoneSecretText(""));
    EXPECT_FALSE(IsPhoneSecretText("0001ABFF102030405060708090A0B0C0"));
    EXPECT_FALSE(IsPhoneSecretText(secret.substr(1)));

    EXPECT_TRUE(PhoneSecretsMatch(secret, secret));
    // Another length, a prefix, the secret repeated, one character changed, nothing: refused.
    EXPECT_FALSE(PhoneSecretsMatch(secret.substr(0, 31), secret));
    EXPECT_FALSE(PhoneSecretsMatch(secret + secret, secret));
    EXPECT_FALSE(
        PhoneSecretsMatch(secret.substr(0, 16), secret.substr(0, 16) + secret.substr(0, 16)));
    std::string changed = secret;
    changed.back() = '1';
    EXPECT_FALSE(PhoneSecretsMatch(changed, secret));
    EXPECT_FALSE(PhoneSecretsMatch("", secret));
    EXPECT_FALSE(PhoneSecretsMatch("", ""));  // without a secret nobody is paired

    // The secret is read from the link as written; twice given is no answer.
    EXPECT_EQ(QueryValue("k=abc", "k"), "abc");
    EXPECT_EQ(QueryValue("x=1&k=abc&y", "k"), "abc");
    EXPECT_EQ(QueryValue("kk=abc&k=", "k"), "");
    EXPECT_FALSE(QueryValue("k=abc&k=abc", "k"));
    EXPECT_FALSE(QueryValue("", "k"));
    EXPECT_FALSE(QueryValue("k", "k"));

    // Host: exactly an address the server listens at with its port (DNS rebinding sends a name).
    EXPECT_TRUE(PhoneHostAllowed("127.0.0.1:38621", kHosts, kPort));
    EXPECT_TRUE(PhoneHostAllowed("192.168.1.20:38621", kHosts, kPort));
    EXPECT_FALSE(PhoneHostAllowed("evil.example:38621", kHosts, kPort));
    EXPECT_FALSE(PhoneHostAllowed("127.0.0.1", kHosts, kPort));
    EXPECT_FALSE(PhoneHostAllowed("127.0.0.1:80", kHosts, kPort));
    EXPECT_FALSE(PhoneHostAllowed(":38621", kHosts, kPort));
    EXPECT_FALSE(PhoneHostAllowed("127.0.0.1:38621:38621", kHosts, kPort));
    EXPECT_FALSE(PhoneHostAllowed("", kHosts, kPort));

    // Origin: none, or this server's own; never another site, "null" or https lookalikes.
    EXPECT_TRUE(PhoneOriginAllowed(std::nullopt, kHosts, kPort));
    EXPECT_TRUE(PhoneOriginAllowed("http://192.168.1.20:38621", kHosts, kPort));
    EXPECT_FALSE(PhoneOriginAllowed("null", kHosts, kPort));
    EXPECT_FALSE(PhoneOriginAllowed("", kHosts, kPort));
    EXPECT_FALSE(PhoneOriginAllowed("https://192.168.1.20:38621", kHosts, kPort));
    EXPECT_FALSE(PhoneOriginAllowed("http://evil.example", kHosts, kPort));
    EXPECT_FALSE(PhoneOriginAllowed("http://192.168.1.20:38621/", kHosts, kPort));
}

TEST(PhoneRules, OnlyThePagesOwnPathsExistAndOnlyThePadsWordsAreCommands) {
    EXPECT_EQ(PhoneRouteOf("/"), PhoneRoute::Page);
    EXPECT_EQ(PhoneRouteOf("/live"), PhoneRoute::Socket);
    for (const std::string_view trick :
         {"", "/..", "/../pad.js", "/./pad.js", "//pad.js", "/pad.js/", "/%2e%2e/etc/passwd",
          "/pad%2ejs", "/..%2fconfig.ini", "\\pad.js", "/etc/passwd", "/home/user/a.wav", "pad.js",
          "/LIVE", "/live/", "/live/../pad.js"}) {
        EXPECT_EQ(PhoneRouteOf(trick), PhoneRoute::NotFound) << trick;
    }

    EXPECT_EQ(ParsePhoneMessage("play 12")->number, 12);
    EXPECT_EQ(ParsePhoneMessage("play 209")->verb, RemoteVerb::Play);
    EXPECT_EQ(ParsePhoneMessage("stop")->verb, RemoteVerb::Stop);
    EXPECT_EQ(ParsePhoneMessage("pause")->verb, RemoteVerb::Pause);
    EXPECT_EQ(ParsePhoneMessage("volume 0")->number, 0);
    EXPECT_EQ(ParsePhoneMessage("volume 100")->verb, RemoteVerb::Volume);
    EXPECT_EQ(ParsePhoneMessage("hotkeys toggle")->change, SwitchChange::Toggle);
    for (const std::string_view wrong :
         {"",          "play",   "play 0",     "play 210",      "play -1",  "play  3", " stop",
          "stop ",     "stop\n", "volume 101", "volume",        "list",     "status",  "show",
          "repeat on", "--help", "--version",  "status --json", "play 3 4", "PLAY 3",  "play\t3"}) {
        EXPECT_FALSE(ParsePhoneMessage(wrong)) << wrong;
    }
    EXPECT_FALSE(ParsePhoneMessage(std::string(kPhoneMaxMessageBytes + 1, 'a')));
    EXPECT_FALSE(ParsePhoneMessage(std::string_view("play 3\0", 7)));
}

TEST(PhoneRules, RepeatedFailuresAreHeldBackLongerEachTimeAndForgottenAfterAQuietMinute) {
    PhoneFailureThrottle throttle;
    std::int64_t now = 1'000;
    // A mistyped link or two costs nothing.
    for (int i = 0; i < PhoneFailureThrottle::kFreeFailures; ++i) {
        EXPECT_EQ(throttle.Fail(now), 0);
        EXPECT_FALSE(throttle.Holding(now));
    }
    EXPECT_EQ(throttle.Fail(now), PhoneFailureThrottle::kFirstDelayMs);
    EXPECT_TRUE(throttle.Holding(now + PhoneFailureThrottle::kFirstDelayMs - 1));
    EXPECT_FALSE(throttle.Holding(now + PhoneFailureThrottle::kFirstDelayMs));
    EXPECT_EQ(throttle.Fail(now), 2 * PhoneFailureThrottle::kFirstDelayMs);
    std::int64_t last = 0;
    for (int i = 0; i < 40; ++i) {
        last = throttle.Fail(now);
    }
    EXPECT_EQ(last, PhoneFailureThrottle::kMaxDelayMs);

    // A minute without failures starts over.
    now += PhoneFailureThrottle::kWindowMs + 1;
    EXPECT_EQ(throttle.Fail(now), 0);
    throttle.Reset();
    EXPECT_FALSE(throttle.Holding(now));
}

}  // namespace
}  // namespace vorlune
