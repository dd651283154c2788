#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vorlune {

// The two-byte part of GBK in both directions, built from the C library's converter for a
// character set. A code whose character another code already produces counts as invalid, so
// that every decoded character encodes back to the bytes it came from.
class GbkCodec {
  public:
    explicit GbkCodec(const char* charset);
    // The program's codec, built once from the C library's "GBK".
    static const GbkCodec& System();

    // false when the C library has no converter for the character set. Then no character
    // outside ASCII decodes (every such byte stays an undecoded byte) and every one encoded
    // becomes "?", so text must not be written with it.
    [[nodiscard]] bool Available() const { return available_; }
    // The character of a two-byte code; 0 when there is none.
    [[nodiscard]] char32_t Decode(unsigned lead, unsigned trail) const;
    // The two-byte code of a character; 0 when GBK has no such character.
    [[nodiscard]] std::uint16_t Encode(char32_t cp) const { return cp <= 0xFFFF ? encode_[cp] : 0; }

  private:
    std::vector<char32_t> decode_;
    std::vector<std::uint16_t> encode_;
    bool available_ = false;
};

// GBK is the encoding of the INI files and of the paths they hold; the program works in UTF-8.
// Decoding never loses a byte: a byte that does not start a valid GBK character becomes the
// code point U+10FF00 + byte (a private-use code point GBK never produces), which encoding
// turns back into that byte. So a value read and written back unchanged keeps its exact bytes.
std::string GbkToUtf8(std::string_view gbk, const GbkCodec& codec = GbkCodec::System());

// Characters GBK cannot hold become "?", and so does a byte kept undecoded (above) that the
// byte after it would join into another character: text read from GBK keeps its bytes, while
// new text put next to such a byte cannot change what it reads as.
std::string Utf8ToGbk(std::string_view utf8, const GbkCodec& codec = GbkCodec::System());

// Length in bytes of the UTF-8 text once encoded as GBK.
std::size_t GbkByteLength(std::string_view utf8, const GbkCodec& codec = GbkCodec::System());

// The longest prefix of utf8 whose GBK form has at most maxBytes bytes, never splitting a
// character.
std::string_view CutToGbkBytes(std::string_view utf8, std::size_t maxBytes,
                               const GbkCodec& codec = GbkCodec::System());

// Whether a code point stands for one byte kept undecoded (above); it is that one byte in the
// file.
bool IsUndecodedByte(char32_t cp);

// UTF-8 with the same escape for bytes that are not valid UTF-8, for files that start with a
// UTF-8 byte-order mark.
std::string Utf8WithEscapes(std::string_view bytes);
std::string Utf8FromEscapes(std::string_view utf8);

// UTF-16 little or big endian (without byte-order mark) to and from UTF-8. An unpaired
// surrogate reads as U+FFFD.
std::string Utf16LeToUtf8(std::string_view bytes);
std::string Utf8ToUtf16Le(std::string_view utf8);
std::string Utf16BeToUtf8(std::string_view bytes);
std::string Utf8ToUtf16Be(std::string_view utf8);

// One code point of UTF-8 text: its value (U+FFFD for a malformed sequence) and its length in
// bytes (at least 1).
struct CodePoint {
    char32_t value;
    std::size_t length;
};
CodePoint NextCodePoint(std::string_view utf8, std::size_t pos);
void AppendUtf8(std::string& out, char32_t cp);

}  // namespace vorlune
