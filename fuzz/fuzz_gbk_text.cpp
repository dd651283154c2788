// The GBK codec on any bytes: decoding then encoding gives back every byte, and a cut to a byte
// budget stays within it, ends between characters and takes as much as fits.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "base/GbkText.h"

namespace {

using vorlune::CodePoint;

// Where the characters of a text begin and end, as the codec itself walks it.
std::vector<std::size_t> Boundaries(std::string_view utf8) {
    std::vector<std::size_t> at{0};
    for (std::size_t i = 0; i < utf8.size();) {
        i += vorlune::NextCodePoint(utf8, i).length;
        at.push_back(i);
    }
    return at;
}

void CheckGbkRoundTrip(std::string_view bytes) {
    const std::string utf8 = vorlune::GbkToUtf8(bytes);
    FUZZ_CHECK(vorlune::Utf8ToGbk(utf8) == bytes);
    FUZZ_CHECK(vorlune::GbkByteLength(utf8) == bytes.size());
    // The decoded text is well-formed UTF-8: every character reads back as itself.
    for (std::size_t i = 0; i < utf8.size();) {
        const CodePoint c = vorlune::NextCodePoint(utf8, i);
        FUZZ_CHECK(c.value != 0xFFFD || utf8.substr(i, 3) == "\xEF\xBF\xBD");
        i += c.length;
    }
}

void CheckCut(std::string_view utf8, std::size_t maxBytes) {
    const std::string_view cut = vorlune::CutToGbkBytes(utf8, maxBytes);
    FUZZ_CHECK(cut.data() == utf8.data() && cut.size() <= utf8.size());
    FUZZ_CHECK(vorlune::GbkByteLength(cut) <= maxBytes);
    FUZZ_CHECK(vorlune::Utf8ToGbk(cut).size() <= maxBytes);
    const std::vector<std::size_t> at = Boundaries(utf8);
    bool onBoundary = false;
    for (std::size_t i = 0; i < at.size(); ++i) {
        if (at[i] == cut.size()) {
            onBoundary = true;
            // Maximal: the next character would not have fitted.
            if (i + 1 < at.size()) {
                FUZZ_CHECK(vorlune::GbkByteLength(utf8.substr(0, at[i + 1])) > maxBytes);
            }
        }
    }
    FUZZ_CHECK(onBoundary);
    // What is encoded of the cut is the start of what is encoded of the whole text, but for a
    // byte kept undecoded at its end, which the whole turns into "?" where the next byte would
    // join it.
    const std::string whole = vorlune::Utf8ToGbk(utf8);
    const std::string part = vorlune::Utf8ToGbk(cut);
    FUZZ_CHECK(whole.size() >= part.size());
    const std::size_t same = part.empty() ? 0 : part.size() - 1;
    FUZZ_CHECK(whole.compare(0, same, part, 0, same) == 0);
    if (!part.empty()) {
        FUZZ_CHECK(whole[same] == part[same] || whole[same] == '?');
    }
}

void CheckUtf8Escapes(std::string_view bytes) {
    const std::string text = vorlune::Utf8WithEscapes(bytes);
    FUZZ_CHECK(vorlune::Utf8FromEscapes(text) == bytes);
}

void CheckUtf16(std::string_view bytes) {
    const std::string utf8 = vorlune::Utf16LeToUtf8(bytes);
    // Text that came from UTF-16 is well-formed, so it makes the trip the other way exactly.
    FUZZ_CHECK(vorlune::Utf16LeToUtf8(vorlune::Utf8ToUtf16Le(utf8)) == utf8);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CheckGbkRoundTrip(bytes);
    CheckUtf8Escapes(bytes);
    CheckUtf16(bytes);
    // The first byte picks a budget; the rest is read as UTF-8 and, decoded, as GBK.
    if (!bytes.empty()) {
        const auto budget = static_cast<unsigned char>(bytes.front());
        const std::string_view rest = bytes.substr(1);
        CheckCut(rest, budget);
        CheckCut(vorlune::GbkToUtf8(rest), budget);
        CheckCut(rest, budget % 8);
    }
    return 0;
}
