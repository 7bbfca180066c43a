#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace parcelo {

// Decodes the bytes of a configuration file into UTF-16. A byte-order mark decides
// first: FF FE is UTF-16LE, FE FF UTF-16BE, EF BB BF UTF-8 (the mark itself is not
// part of the text). Without one, PARCELO_CODEPAGE, when set to a name iconv knows
// (for example "CP949" or "UTF-8"), picks the code page; otherwise text that is
// valid UTF-8 up to its first zero byte is read as UTF-8 and anything else as CP949,
// the Korean code page such files are usually written in by older tools. Invalid
// byte sequences become U+FFFD and the text after them is kept. A NUL stays in the
// text: ending the text there is the reader's business.
std::u16string DecodeConfigText(std::string_view bytes);

// UTF-16 in the given byte order, without a byte-order mark. Unpaired surrogates
// and a last odd byte become U+FFFD.
std::u16string DecodeUtf16(std::string_view bytes, bool bigEndian);

// Decodes with one named iconv code page; std::nullopt when iconv does not know the name.
std::optional<std::u16string> DecodeWithCodePage(std::string_view bytes, const char* codePage);

// Strict UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF);
// std::nullopt when the bytes are not valid UTF-8.
std::optional<std::u16string> DecodeStrictUtf8(std::string_view bytes);
// UTF-8 where each byte that starts no valid sequence becomes U+FFFD.
std::u16string DecodeUtf8(std::string_view bytes);

} // namespace parcelo
