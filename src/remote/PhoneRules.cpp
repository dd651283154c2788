#include "remote/PhoneRules.h"

#include <algorithm>

namespace vorlune {
namespace {

bool IsLowerHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

std::vector<std::string_view> Words(std::string_view text) {
    std::vector<std::string_view> words;
    while (!text.empty()) {
        const std::size_t space = text.find(' ');
        words.push_back(text.substr(0, space));
        if (space == std::string_view::npos) {
            break;
        }
        text.remove_prefix(space + 1);
        if (text.empty()) {
            words.emplace_back();  // a trailing space leaves an empty word, which no rule takes
        }
    }
    return words;
}

}  // namespace

std::string PhoneSecretText(std::span<const std::uint8_t> bytes) {
    static constexpr std::string_view kDigits = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (const std::uint8_t byte : bytes) {
        text.push_back(kDigits[byte >> 4U]);
        text.push_back(kDigits[byte & 0x0FU]);
    }
    return text;
}

bool IsPhoneSecretText(std::string_view text) {
    return text.size() == kPhoneSecretBytes * 2 &&
           std::all_of(text.begin(), text.end(), IsLowerHex);
}

bool PhoneSecretsMatch(std::string_view given, std::string_view expected) {
    if (expected.empty()) {
        return false;  // no secret set: nobody is paired
    }
    // Every byte of the expected secret is looked at whatever is given; a given text of another
    // length is compared against itself cycled so the loop's work does not depend on it.
    unsigned difference = given.size() == expected.size() ? 0U : 1U;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const char g = given.empty() ? '\0' : given[i % given.size()];
        difference |= static_cast<unsigned char>(g) ^ static_cast<unsigned char>(expected[i]);
    }
    return difference == 0;
}

std::optional<std::string_view> QueryValue(std::string_view query, std::string_view key) {
    std::optional<std::string_view> found;
    while (true) {
        const std::size_t amp = query.find('&');
        const std::string_view pair = query.substr(0, amp);
        const std::size_t eq = pair.find('=');
        if (eq != std::string_view::npos && pair.substr(0, eq) == key) {
            if (found) {
                return std::nullopt;
            }
            found = pair.substr(eq + 1);
        }
        if (amp == std::string_view::npos) {
            return found;
        }
        query.remove_prefix(amp + 1);
    }
}

PhoneRoute PhoneRouteOf(std::string_view path) {
    if (path == "/") {
        return PhoneRoute::Page;
    }
    if (path == "/live") {
        return PhoneRoute::Socket;
    }
    return PhoneRoute::NotFound;
}

bool PhoneHostAllowed(std::string_view hostHeader, const std::vector<std::string>& hosts,
                      std::uint16_t port) {
    const std::string suffix = ":" + std::to_string(port);
    if (!hostHeader.ends_with(suffix)) {
        return false;
    }
    const std::string_view name = hostHeader.substr(0, hostHeader.size() - suffix.size());
    return !name.empty() && std::find(hosts.begin(), hosts.end(), name) != hosts.end();
}

bool PhoneOriginAllowed(std::optional<std::string_view> origin,
                        const std::vector<std::string>& hosts, std::uint16_t port) {
    if (!origin) {
        return true;
    }
    constexpr std::string_view kScheme = "http://";
    if (!origin->starts_with(kScheme)) {
        return false;
    }
    return PhoneHostAllowed(origin->substr(kScheme.size()), hosts, port);
}

std::optional<RemoteRequest> ParsePhoneMessage(std::string_view message) {
    if (message.empty() || message.size() > kPhoneMaxMessageBytes) {
        return std::nullopt;
    }
    const std::vector<std::string_view> words = Words(message);
    // Options such as --json or --help are the command line's, never the page's.
    if (std::any_of(words.begin(), words.end(),
                    [](std::string_view w) { return w.empty() || w.starts_with('-'); })) {
        return std::nullopt;
    }
    const RemoteCommandLine line = ParseRemoteArguments(words);
    const auto* request = std::get_if<RemoteRequest>(&line);
    if (request == nullptr) {
        return std::nullopt;
    }
    switch (request->verb) {
        case RemoteVerb::Play:
        case RemoteVerb::Stop:
        case RemoteVerb::Pause:
        case RemoteVerb::Volume:
        case RemoteVerb::Hotkeys:
            return *request;
        default:
            return std::nullopt;
    }
}

std::int64_t PhoneFailureThrottle::Fail(std::int64_t nowMs) {
    if (recent_ > 0 && nowMs - lastFailureMs_ > kWindowMs) {
        recent_ = 0;
    }
    lastFailureMs_ = nowMs;
    ++recent_;
    if (recent_ <= kFreeFailures) {
        return 0;
    }
    const int doublings = std::min(recent_ - kFreeFailures - 1, 16);
    const std::int64_t delay = std::min(kFirstDelayMs << doublings, kMaxDelayMs);
    holdUntilMs_ = nowMs + delay;
    return delay;
}

bool PhoneFailureThrottle::Holding(std::int64_t nowMs) const {
    return nowMs < holdUntilMs_;
}

void PhoneFailureThrottle::Reset() {
    recent_ = 0;
    lastFailureMs_ = 0;
    holdUntilMs_ = 0;
}

}  // namespace vorlune
