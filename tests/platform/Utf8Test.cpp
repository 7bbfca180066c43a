#include "platform/Utf8.h"

#include "platform/CodePage.h"

#include <gtest/gtest.h>

namespace parcelo {
namespace {

std::u16string Utf16Of(char32_t cp) {
    if (cp < 0x10000) {
        return std::u16string(1, static_cast<char16_t>(cp));
    }
    return {static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)),
            static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF))};
}

// Every code point, encoded here and read back by the strict decoder, which is written
// independently of the encoder; in blocks, each with its expected length in bytes.
TEST(Utf8Test, EveryCodePointRoundTripsThroughTheStrictDecoder) {
    for (char32_t block = 0; block <= 0x10FFFF; block += 0x1000) {
        std::u16string text;
        size_t expectedBytes = 0;
        for (char32_t cp = block; cp < block + 0x1000; ++cp) {
            if (cp < 0xD800 || cp > 0xDFFF) {
                text += Utf16Of(cp);
                expectedBytes += cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
            }
        }
        const std::string bytes = Utf16ToUtf8(text);
        ASSERT_EQ(bytes.size(), expectedBytes) << std::hex << static_cast<uint32_t>(block);
        ASSERT_EQ(DecodeStrictUtf8(bytes), text) << std::hex << static_cast<uint32_t>(block);
        ASSERT_EQ(Utf16ToUtf8Exactly(text), bytes) << std::hex << static_cast<uint32_t>(block);
    }
}

TEST(Utf8Test, LoneSurrogatesHaveNoExactForm) {
    for (const std::u16string& text :
         {std::u16string{u'x', 0xD800}, std::u16string{0xDC00, u'x'}, std::u16string{0xDBFF, 0xDBFF, 0xDC00}}) {
        EXPECT_FALSE(Utf16ToUtf8Exactly(text).has_value());
        EXPECT_NE(Utf16ToUtf8(text).find("\xEF\xBF\xBD"), std::string::npos) << "a lone surrogate reads as U+FFFD";
        EXPECT_TRUE(DecodeStrictUtf8(Utf16ToUtf8(text)).has_value());
    }
}

} // namespace
} // namespace parcelo
