#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vorlune {

// GBK is the encoding of the INI files and of the paths they hold; the program works in UTF-8.
// Decoding never loses a byte: a byte that does not start a valid GBK character becomes the
// code point U+10FF00 + byte (a private-use code point GBK never produces), which encoding
// turns back into that byte. So a value read and written back unchanged keeps its exact bytes.
std::string GbkToUtf8(std::string_view gbk);

// Characters GBK cannot hold become "?", and so does a byte kept undecoded (above) that the
// byte after it would join into another character: text read from GBK keeps its bytes, while
// new text put next to such a byte cannot change what it reads as.
std::string Utf8ToGbk(std::string_view utf8);

// Length in bytes of the UTF-8 text once encoded as GBK.
std::size_t GbkByteLength(std::string_view utf8);

// The longest prefix of utf8 whose GBK form has at most maxBytes bytes, never splitting a
// character.
std::string_view CutToGbkBytes(std::string_view utf8, std::size_t maxBytes);

// UTF-8 with the same escape for bytes that are not valid UTF-8, for files that start with a
// UTF-8 byte-order mark.
std::string Utf8WithEscapes(std::string_view bytes);
std::string Utf8FromEscapes(std::string_view utf8);

// UTF-16 little endian (without byte-order mark) to and from UTF-8. An unpaired surrogate reads
// as U+FFFD.
std::string Utf16LeToUtf8(std::string_view bytes);
std::string Utf8ToUtf16Le(std::string_view utf8);

// One code point of UTF-8 text: its value (U+FFFD for a malformed sequence) and its length in
// bytes (at least 1).
struct CodePoint {
    char32_t value;
    std::size_t length;
};
CodePoint NextCodePoint(std::string_view utf8, std::size_t pos);
void AppendUtf8(std::string& out, char32_t cp);

}  // namespace vorlune
