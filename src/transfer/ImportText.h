#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace parcelo {

// The text of an import file: UTF-16 with a byte-order mark; UTF-8 with a mark (bad
// bytes become U+FFFD); without a mark, UTF-8 when the bytes are valid UTF-8 and CP949
// otherwise. std::nullopt when the C library has no CP949 tables.
std::optional<std::u16string> DecodeImportText(std::string_view bytes);

// CP949 through the platform's iconv decoder, each undecodable sequence as U+FFFD;
// std::nullopt when the C library has no CP949 tables.
std::optional<std::u16string> DecodeCp949(std::string_view bytes);

} // namespace parcelo
