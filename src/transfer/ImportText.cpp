#include "transfer/ImportText.h"

#include "platform/CodePage.h"

#include <array>
#include <cerrno>
#include <iconv.h>

namespace parcelo {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

void AppendUtf16Le(std::u16string& out, const char* begin, const char* end) {
    for (const char* p = begin; p + 1 < end; p += 2) {
        out.push_back(static_cast<char16_t>(static_cast<unsigned char>(p[0]) | static_cast<unsigned char>(p[1]) << 8));
    }
}

} // namespace

std::optional<std::u16string> DecodeWithIconv(std::string_view bytes, const char* codePage) {
    const iconv_t cd = iconv_open("UTF-16LE", codePage);
    if (cd == reinterpret_cast<iconv_t>(-1)) { // NOLINT(performance-no-int-to-ptr)
        return std::nullopt;
    }
    std::u16string out;
    out.reserve(bytes.size());
    std::array<char, 4096> buffer;
    char* in = const_cast<char*>(bytes.data()); // iconv never writes through its input pointer
    size_t inLeft = bytes.size();
    while (inLeft > 0) {
        char* outPtr = buffer.data();
        size_t outLeft = buffer.size();
        const size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        const int error = errno;
        AppendUtf16Le(out, buffer.data(), outPtr);
        if (result != static_cast<size_t>(-1) || error == E2BIG) {
            continue;
        }
        out.push_back(u'\uFFFD');
        if (inLeft > 0) {
            ++in;
            --inLeft;
        }
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    char* outPtr = buffer.data();
    size_t outLeft = buffer.size();
    iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    AppendUtf16Le(out, buffer.data(), outPtr);
    iconv_close(cd);
    return out;
}

std::optional<std::u16string> DecodeCp949(std::string_view bytes) {
    return DecodeWithIconv(bytes, "CP949");
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
        return DecodeWithIconv(bytes, "UTF-8"); // marked as UTF-8: bad bytes become U+FFFD
    }
    if (auto text = DecodeStrictUtf8(bytes)) {
        return text;
    }
    return DecodeCp949(bytes);
}

} // namespace parcelo
