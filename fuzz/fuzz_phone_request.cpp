// What a phone page (or anything on the network) can send: a path, a query, Host and Origin
// headers and messages over the live connection. On any input the rules answer without a crash,
// a known path is only ever one of the page's own, and a message that is accepted is one the
// page offers with values in range.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "remote/PhoneRules.h"

namespace {

const std::vector<std::string> kHosts{"127.0.0.1"};
constexpr std::uint16_t kPort = 38621;

void CheckMessage(std::string_view text) {
    const std::optional<vorlune::RemoteRequest> request = vorlune::ParsePhoneMessage(text);
    if (!request) {
        return;
    }
    FUZZ_CHECK(text.size() <= vorlune::kPhoneMaxMessageBytes);
    FUZZ_CHECK(!request->json);
    switch (request->verb) {
        case vorlune::RemoteVerb::Play:
            FUZZ_CHECK(request->number >= 1 && request->number <= 209);
            break;
        case vorlune::RemoteVerb::Volume:
            FUZZ_CHECK(request->number >= 0 && request->number <= 100);
            break;
        case vorlune::RemoteVerb::Stop:
        case vorlune::RemoteVerb::Pause:
        case vorlune::RemoteVerb::Hotkeys:
            break;
        default:
            FUZZ_CHECK(false);
    }
}

void CheckRequest(std::string_view text) {
    if (vorlune::PhoneRouteOf(text) != vorlune::PhoneRoute::NotFound) {
        FUZZ_CHECK(text.starts_with('/') && text.find("..") == std::string_view::npos &&
                   text.find('%') == std::string_view::npos);
    }
    if (vorlune::PhoneHostAllowed(text, kHosts, kPort)) {
        FUZZ_CHECK(text == "127.0.0.1:38621");
    }
    if (vorlune::PhoneOriginAllowed(text, kHosts, kPort)) {
        FUZZ_CHECK(text == "http://127.0.0.1:38621");
    }
    const std::optional<std::string_view> secret = vorlune::QueryValue(text, "k");
    if (secret) {
        // The value lies inside the query and holds no separator of it.
        FUZZ_CHECK(secret->data() >= text.data() &&
                   secret->data() + secret->size() <= text.data() + text.size());
        FUZZ_CHECK(secret->find('&') == std::string_view::npos);
    }
    const std::string expected = "0123456789abcdef0123456789abcdef";
    FUZZ_CHECK(vorlune::PhoneSecretsMatch(text, expected) == (text == expected));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CheckMessage(text);
    CheckRequest(text);
    return 0;
}
