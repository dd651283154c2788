#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "remote/RemoteArguments.h"

namespace vorlune {

// The rules of the phone page's server that need no network: who may ask, what may be asked
// for, and what the page's messages mean. Everything here reads text that came from the
// network, so every input is untrusted and every answer is a plain value.

// The pairing secret is this many random bytes, written as lowercase hexadecimal.
inline constexpr std::size_t kPhoneSecretBytes = 16;
// A request body larger than this is refused before it is read further.
inline constexpr std::size_t kPhoneMaxBodyBytes = 1024;
// A message from the page longer than this is not a command.
inline constexpr std::size_t kPhoneMaxMessageBytes = 64;
// Live connections and HTTP connections served at once.
inline constexpr int kPhoneMaxConnections = 16;

// The secret's text for random bytes: lowercase hex, two characters a byte.
std::string PhoneSecretText(std::span<const std::uint8_t> bytes);

// Whether a stored text has the form of a secret (so a damaged config.ini makes a new one).
bool IsPhoneSecretText(std::string_view text);

// Compares a given secret with the expected one in time that depends only on the expected
// secret's length, never on where they differ, so timing tells a guesser nothing.
bool PhoneSecretsMatch(std::string_view given, std::string_view expected);

// The value of `key` in a URL query ("a=1&k=abc"), taken as written (no decoding: a secret is
// hex, so an encoded one is a wrong one). A key given twice is no answer at all.
std::optional<std::string_view> QueryValue(std::string_view query, std::string_view key);

// What a request's path names: the page (one file, its script and style inside, so every
// request carries the secret) and its live connection. Only these exact paths exist; anything else,
// including `..`, percent-encoded characters, doubled or back slashes and absolute file paths, is
// NotFound.
enum class PhoneRoute { Page, Socket, NotFound };
PhoneRoute PhoneRouteOf(std::string_view path);

// Whether a Host header names this server: one of `hosts` (addresses the server listens at)
// with `port`. Against DNS rebinding, a name that resolves here is not enough.
bool PhoneHostAllowed(std::string_view hostHeader, const std::vector<std::string>& hosts,
                      std::uint16_t port);

// Whether an Origin header may drive the board: absent (a page opened directly, or a client that
// is not a browser, which still needs the secret) or exactly this server's own origin. "null"
// and every other site are refused.
bool PhoneOriginAllowed(std::optional<std::string_view> origin,
                        const std::vector<std::string>& hosts, std::uint16_t port);

// A message the page sends over the live connection: the same words as the `vorlune` command
// ("play 12", "stop", "pause", "volume 55", "hotkeys toggle"), limited to what the page offers.
// Anything else is no command.
std::optional<RemoteRequest> ParsePhoneMessage(std::string_view message);

// Slows repeated failures down: after a few free ones, each further failure within the window
// doubles the wait before the answer, up to a ceiling. Times are milliseconds of a steady clock.
class PhoneFailureThrottle {
  public:
    // Records a failure at `nowMs` and returns how long its refusal is held back.
    std::int64_t Fail(std::int64_t nowMs);
    // Whether a request at `nowMs` still falls in the wait of the last failure.
    [[nodiscard]] bool Holding(std::int64_t nowMs) const;
    void Reset();

    static constexpr int kFreeFailures = 3;
    static constexpr std::int64_t kWindowMs = 60'000;
    static constexpr std::int64_t kFirstDelayMs = 250;
    static constexpr std::int64_t kMaxDelayMs = 8'000;

  private:
    int recent_ = 0;
    std::int64_t lastFailureMs_ = 0;
    std::int64_t holdUntilMs_ = 0;
};

}  // namespace vorlune
