#include "base/GbkText.h"

#include <iconv.h>

#include <array>
#include <cstdint>

namespace vorlune {
namespace {

constexpr char32_t kEscapeBase = 0x10FF00;
constexpr unsigned kLeadFirst = 0x81;
constexpr unsigned kLeadLast = 0xFE;
constexpr unsigned kTrailFirst = 0x40;
constexpr unsigned kTrailLast = 0xFE;
constexpr unsigned kTrailCount = kTrailLast - kTrailFirst + 1;

std::size_t Index(unsigned lead, unsigned trail) {
    return (lead - kLeadFirst) * kTrailCount + (trail - kTrailFirst);
}

// GBK length of one code point: 1 for ASCII and escaped bytes, 2 for GBK characters, 1 for "?".
std::size_t GbkLength(const GbkCodec& codec, char32_t cp) {
    if (cp < 0x80 || IsUndecodedByte(cp)) {
        return 1;
    }
    return codec.Encode(cp) != 0 ? 2 : 1;
}

}  // namespace

GbkCodec::GbkCodec(const char* charset)
    : decode_(std::size_t{kLeadLast - kLeadFirst + 1} * kTrailCount, 0), encode_(0x10000, 0) {
    iconv_t cd = iconv_open("UTF-32LE", charset);
    if (reinterpret_cast<std::intptr_t>(cd) == -1) {
        return;
    }
    available_ = true;
    for (unsigned lead = kLeadFirst; lead <= kLeadLast; ++lead) {
        for (unsigned trail = kTrailFirst; trail <= kTrailLast; ++trail) {
            if (trail == 0x7F) {
                continue;
            }
            std::array<char, 2> in{static_cast<char>(lead), static_cast<char>(trail)};
            std::array<char, 16> out{};
            char* inPtr = in.data();
            char* outPtr = out.data();
            std::size_t inLeft = in.size();
            std::size_t outLeft = out.size();
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) ||
                inLeft != 0 || out.size() - outLeft != 4) {
                continue;
            }
            const auto* u = reinterpret_cast<const unsigned char*>(out.data());
            const char32_t cp =
                u[0] | (u[1] << 8) | (u[2] << 16) | (static_cast<char32_t>(u[3]) << 24);
            if (cp < 0x80 || cp > 0xFFFF || encode_[cp] != 0) {
                continue;
            }
            encode_[cp] = static_cast<std::uint16_t>((lead << 8) | trail);
            decode_[Index(lead, trail)] = cp;
        }
    }
    iconv_close(cd);
}

const GbkCodec& GbkCodec::System() {
    static const GbkCodec codec("GBK");
    return codec;
}

char32_t GbkCodec::Decode(unsigned lead, unsigned trail) const {
    if (lead < kLeadFirst || lead > kLeadLast || trail < kTrailFirst || trail > kTrailLast) {
        return 0;
    }
    return decode_[Index(lead, trail)];
}

bool IsUndecodedByte(char32_t cp) {
    return cp >= kEscapeBase + 0x80 && cp <= kEscapeBase + 0xFF;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

CodePoint NextCodePoint(std::string_view utf8, std::size_t pos) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(utf8[i]); };
    const unsigned b0 = byte(pos);
    if (b0 < 0x80) {
        return {b0, 1};
    }
    std::size_t len = 0;
    char32_t cp = 0;
    char32_t min = 0;
    if ((b0 & 0xE0) == 0xC0) {
        len = 2, cp = b0 & 0x1F, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3, cp = b0 & 0x0F, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4, cp = b0 & 0x07, min = 0x10000;
    } else {
        return {0xFFFD, 1};
    }
    if (pos + len > utf8.size()) {
        return {0xFFFD, 1};
    }
    for (std::size_t i = 1; i < len; ++i) {
        const unsigned b = byte(pos + i);
        if ((b & 0xC0) != 0x80) {
            return {0xFFFD, 1};
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        return {0xFFFD, 1};
    }
    return {cp, len};
}

std::string GbkToUtf8(std::string_view gbk, const GbkCodec& codec) {
    std::string out;
    out.reserve(gbk.size() + gbk.size() / 2);
    for (std::size_t i = 0; i < gbk.size();) {
        const auto b = static_cast<unsigned char>(gbk[i]);
        if (b < 0x80) {
            out += static_cast<char>(b);
            ++i;
            continue;
        }
        if (i + 1 < gbk.size()) {
            const char32_t cp = codec.Decode(b, static_cast<unsigned char>(gbk[i + 1]));
            if (cp != 0) {
                AppendUtf8(out, cp);
                i += 2;
                continue;
            }
        }
        AppendUtf8(out, kEscapeBase + b);
        ++i;
    }
    return out;
}

std::string Utf8ToGbk(std::string_view utf8, const GbkCodec& codec) {
    std::string out;
    out.reserve(utf8.size());
    bool endsInLoneByte = false;  // the last byte written was kept undecoded
    for (std::size_t i = 0; i < utf8.size();) {
        const CodePoint c = NextCodePoint(utf8, i);
        i += c.length;
        const std::size_t at = out.size();
        if (c.value < 0x80) {
            out += static_cast<char>(c.value);
        } else if (IsUndecodedByte(c.value)) {
            out += static_cast<char>(c.value - kEscapeBase);
        } else if (const std::uint16_t code = codec.Encode(c.value); code != 0) {
            out += static_cast<char>(code >> 8);
            out += static_cast<char>(code & 0xFF);
        } else {
            out += '?';
        }
        // A lone lead byte that the next byte would join into another character when read
        // means text put together anew around it; it goes the way of any character GBK lacks.
        if (endsInLoneByte && codec.Decode(static_cast<unsigned char>(out[at - 1]),
                                           static_cast<unsigned char>(out[at])) != 0) {
            out[at - 1] = '?';
        }
        endsInLoneByte = IsUndecodedByte(c.value);
    }
    return out;
}

std::size_t GbkByteLength(std::string_view utf8, const GbkCodec& codec) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        const CodePoint c = NextCodePoint(utf8, i);
        i += c.length;
        n += GbkLength(codec, c.value);
    }
    return n;
}

std::string_view CutToGbkBytes(std::string_view utf8, std::size_t maxBytes, const GbkCodec& codec) {
    std::size_t n = 0;
    std::size_t i = 0;
    while (i < utf8.size()) {
        const CodePoint c = NextCodePoint(utf8, i);
        const std::size_t len = GbkLength(codec, c.value);
        if (n + len > maxBytes) {
            break;
        }
        n += len;
        i += c.length;
    }
    return utf8.substr(0, i);
}

std::string Utf8WithEscapes(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const CodePoint c = NextCodePoint(bytes, i);
        const bool malformed = c.value == 0xFFFD && bytes.substr(i, 3) != "\xEF\xBF\xBD";
        if (malformed || IsUndecodedByte(c.value)) {
            // An escape code point written literally in the file is escaped byte by byte too,
            // so that it cannot be mistaken for an escaped byte.
            for (std::size_t k = 0; k < c.length; ++k) {
                AppendUtf8(out, kEscapeBase + static_cast<unsigned char>(bytes[i + k]));
            }
        } else {
            out.append(bytes.substr(i, c.length));
        }
        i += c.length;
    }
    return out;
}

std::string Utf8FromEscapes(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const CodePoint c = NextCodePoint(utf8, i);
        if (IsUndecodedByte(c.value)) {
            out += static_cast<char>(c.value - kEscapeBase);
        } else {
            out.append(utf8.substr(i, c.length));
        }
        i += c.length;
    }
    return out;
}

namespace {

enum class Endian { Little, Big };

std::string Utf16ToUtf8(std::string_view bytes, Endian endian) {
    std::string out;
    out.reserve(bytes.size());
    const auto unit = [&](std::size_t i) -> char32_t {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        return endian == Endian::Little ? (first | (second << 8)) : ((first << 8) | second);
    };
    const std::size_t n = bytes.size() / 2 * 2;
    for (std::size_t i = 0; i < n; i += 2) {
        char32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 3 < n) {
            const char32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        if (u >= 0xD800 && u <= 0xDFFF) {
            u = 0xFFFD;
        }
        AppendUtf8(out, u);
    }
    return out;
}

std::string Utf8ToUtf16(std::string_view utf8, Endian endian) {
    std::string out;
    out.reserve(utf8.size() * 2);
    const auto put = [&](char32_t u) {
        const auto low = static_cast<char>(u & 0xFF);
        const auto high = static_cast<char>(u >> 8);
        out += endian == Endian::Little ? low : high;
        out += endian == Endian::Little ? high : low;
    };
    for (std::size_t i = 0; i < utf8.size();) {
        const CodePoint c = NextCodePoint(utf8, i);
        i += c.length;
        if (c.value >= 0x10000) {
            const char32_t v = c.value - 0x10000;
            put(0xD800 + (v >> 10));
            put(0xDC00 + (v & 0x3FF));
        } else {
            put(c.value);
        }
    }
    return out;
}

}  // namespace

std::string Utf16LeToUtf8(std::string_view bytes) {
    return Utf16ToUtf8(bytes, Endian::Little);
}

std::string Utf8ToUtf16Le(std::string_view utf8) {
    return Utf8ToUtf16(utf8, Endian::Little);
}

std::string Utf16BeToUtf8(std::string_view bytes) {
    return Utf16ToUtf8(bytes, Endian::Big);
}

std::string Utf8ToUtf16Be(std::string_view utf8) {
    return Utf8ToUtf16(utf8, Endian::Big);
}

}  // namespace vorlune
