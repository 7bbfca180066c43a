#include "transfer/ImportText.h"

#include "platform/CodePage.h"

namespace parcelo {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

} // namespace

std::optional<std::u16string> DecodeCp949(std::string_view bytes) {
    return DecodeWithCodePage(bytes, "CP949");
}

std::optional<std::u16string> DecodeImportText(std::string_view bytes) {
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
        return DecodeUtf16(bytes.substr(2), bytes[0] == '\xFE');
    }
    if (bytes.starts_with(kUtf8Mark)) {
        bytes.remove_prefix(kUtf8Mark.size());
        if (auto text = DecodeStrictUtf8(bytes)) {
            return text;
        }
        return DecodeWithCodePage(bytes, "UTF-8"); // marked as UTF-8: bad bytes become U+FFFD
    }
    if (auto text = DecodeStrictUtf8(bytes)) {
        return text;
    }
    return DecodeCp949(bytes);
}

} // namespace parcelo
