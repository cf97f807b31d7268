// Text of the program's files is code page 932 on disk and UTF-8 inside.
#pragma once

#include <string>
#include <string_view>

namespace poronka {

// Decodes code page 932 bytes; an undecodable byte becomes U+FFFD and
// decoding resumes at the next byte.
std::string Cp932ToUtf8(std::string_view bytes);
std::u16string Cp932ToUtf16(std::string_view bytes);
// Encodes UTF-8 text; a character without a code page 932 form becomes '?'.
std::string Utf8ToCp932(std::string_view utf8);
std::string Utf16ToCp932(std::u16string_view text);

std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view text);

// True when every byte stands for one character on its own (ASCII or the
// half-width katakana range A1..DF), so byte positions are character positions.
bool IsSingleByteCp932(std::string_view bytes);

}  // namespace poronka
