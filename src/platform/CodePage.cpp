#include "platform/CodePage.h"

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <iconv.h>

namespace parcelo {

namespace {

constexpr char16_t kReplacement = u'\uFFFD';
constexpr char16_t kByteOrderMark = u'\uFEFF';
constexpr const char* kFallbackCodePage = "CP949";
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";

constexpr bool IsHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

constexpr bool IsLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// Owns one iconv conversion descriptor towards UTF-16LE.
class IconvHandle {
public:
    explicit IconvHandle(const char* fromCodePage) : m_cd(iconv_open("UTF-16LE", fromCodePage)) {}
    ~IconvHandle() {
        if (IsOpen()) {
            iconv_close(m_cd);
        }
    }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;

    // iconv_open reports failure as (iconv_t)-1.
    bool IsOpen() const { return m_cd != reinterpret_cast<iconv_t>(-1); } // NOLINT(performance-no-int-to-ptr)
    iconv_t Get() const { return m_cd; }

private:
    iconv_t m_cd;
};

void AppendUtf16Le(std::u16string& out, const char* begin, const char* end) {
    for (const char* p = begin; p + 1 < end; p += 2) {
        const auto low = static_cast<unsigned char>(p[0]);
        const auto high = static_cast<unsigned char>(p[1]);
        out.push_back(static_cast<char16_t>(low | (high << 8)));
    }
}

void AppendCodePoint(std::u16string& out, char32_t cp) {
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
        return;
    }
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
}

std::u16string Convert(const IconvHandle& handle, std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    std::array<char, 4096> buffer;

    char* in = const_cast<char*>(bytes.data()); // iconv never writes through its input pointer
    size_t inLeft = bytes.size();
    while (inLeft > 0) {
        char* outPtr = buffer.data();
        size_t outLeft = buffer.size();
        const size_t result = iconv(handle.Get(), &in, &inLeft, &outPtr, &outLeft);
        const int error = errno;
        AppendUtf16Le(out, buffer.data(), outPtr);
        if (result != static_cast<size_t>(-1) || error == E2BIG) {
            continue;
        }
        // EILSEQ, or EINVAL for a sequence cut off by the end: mark it and go on
        // with the next byte, from the initial shift state.
        // Some converters consume a whole unassigned pair and still report EILSEQ, so
        // there may be nothing left to step over.
        out.push_back(kReplacement);
        if (inLeft > 0) {
            ++in;
            --inLeft;
        }
        iconv(handle.Get(), nullptr, nullptr, nullptr, nullptr);
    }

    char* outPtr = buffer.data();
    size_t outLeft = buffer.size();
    iconv(handle.Get(), nullptr, nullptr, &outPtr, &outLeft);
    AppendUtf16Le(out, buffer.data(), outPtr);
    return out;
}

// Last resort when iconv has no CP949 tables: ASCII survives, the rest is marked.
std::u16string DecodeAsciiOnly(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (const char byte : bytes) {
        const auto unit = static_cast<unsigned char>(byte);
        out.push_back(unit < 0x80 ? static_cast<char16_t>(unit) : kReplacement);
    }
    return out;
}

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// Length of the UTF-8 sequence that starts with `lead` and the allowed range of its
// second byte, which is what rules out overlong forms, surrogates and values past U+10FFFF.
struct Utf8Lead {
    int length;
    unsigned char secondMin;
    unsigned char secondMax;
};

Utf8Lead ClassifyLead(unsigned char lead) {
    if (lead < 0x80) {
        return {1, 0, 0};
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        return {2, 0x80, 0xBF};
    }
    if (lead == 0xE0) {
        return {3, 0xA0, 0xBF};
    }
    if (lead == 0xED) {
        return {3, 0x80, 0x9F};
    }
    if (lead >= 0xE1 && lead <= 0xEF) {
        return {3, 0x80, 0xBF};
    }
    if (lead == 0xF0) {
        return {4, 0x90, 0xBF};
    }
    if (lead >= 0xF1 && lead <= 0xF3) {
        return {4, 0x80, 0xBF};
    }
    if (lead == 0xF4) {
        return {4, 0x80, 0x8F};
    }
    return {0, 0, 0};
}

} // namespace

namespace {

// UTF-8 into `out`; false at the first invalid sequence unless `lossy`, which makes
// each byte that starts no valid sequence U+FFFD.
bool DecodeUtf8Into(std::string_view bytes, bool lossy, std::u16string& out) {
    static constexpr char32_t kLeadMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    out.reserve(bytes.size());
    size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const Utf8Lead kind = ClassifyLead(lead);
        bool valid = kind.length != 0 && bytes.size() - i >= static_cast<size_t>(kind.length);
        char32_t cp = lead & kLeadMask[kind.length];
        for (int k = 1; valid && k < kind.length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            valid = k == 1 ? (next >= kind.secondMin && next <= kind.secondMax) : IsContinuation(next);
            cp = (cp << 6) | (next & 0x3F);
        }
        if (!valid) {
            if (!lossy) {
                return false;
            }
            out.push_back(kReplacement);
            ++i;
            continue;
        }
        AppendCodePoint(out, cp);
        i += kind.length;
    }
    return true;
}

} // namespace

std::optional<std::u16string> DecodeStrictUtf8(std::string_view bytes) {
    std::u16string out;
    if (!DecodeUtf8Into(bytes, false, out)) {
        return std::nullopt;
    }
    return out;
}

std::u16string DecodeUtf8(std::string_view bytes) {
    std::u16string out;
    DecodeUtf8Into(bytes, true, out);
    return out;
}

std::optional<std::u16string> DecodeWithCodePage(std::string_view bytes, const char* codePage) {
    const IconvHandle handle(codePage);
    if (!handle.IsOpen()) {
        return std::nullopt;
    }
    return Convert(handle, bytes);
}

std::u16string DecodeUtf16(std::string_view bytes, bool bigEndian) {
    std::u16string units;
    units.reserve(bytes.size() / 2 + 1);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        units.push_back(static_cast<char16_t>(bigEndian ? (first << 8) | second : first | (second << 8)));
    }
    std::u16string text;
    text.reserve(units.size() + 1);
    for (size_t i = 0; i < units.size(); ++i) {
        const char16_t unit = units[i];
        if (IsHighSurrogate(unit) && i + 1 < units.size() && IsLowSurrogate(units[i + 1])) {
            text.push_back(unit);
            text.push_back(units[++i]);
        } else {
            text.push_back(IsHighSurrogate(unit) || IsLowSurrogate(unit) ? kReplacement : unit);
        }
    }
    if (bytes.size() % 2 != 0) {
        text.push_back(kReplacement); // half a unit at the end
    }
    return text;
}

std::u16string DecodeConfigText(std::string_view bytes) {
    if (bytes.starts_with(kUtf16LeMark)) {
        return DecodeUtf16(bytes.substr(kUtf16LeMark.size()), false);
    }
    if (bytes.starts_with(kUtf16BeMark)) {
        return DecodeUtf16(bytes.substr(kUtf16BeMark.size()), true);
    }

    std::optional<std::u16string> decoded;
    if (bytes.starts_with(kUtf8Mark)) {
        bytes.remove_prefix(kUtf8Mark.size());
        decoded = DecodeStrictUtf8(bytes);
        if (!decoded) {
            decoded = DecodeWithCodePage(bytes, "UTF-8");
        }
    }
    const char* forced = std::getenv("PARCELO_CODEPAGE");
    if (!decoded && forced != nullptr && *forced != '\0') {
        decoded = DecodeWithCodePage(bytes, forced);
    }
    if (!decoded) {
        // The reader ends the text at its first NUL, so only the bytes before the
        // first zero byte (a NUL in UTF-8 and in CP949 alike) decide the code page.
        const bool utf8 = DecodeStrictUtf8(bytes.substr(0, bytes.find('\0'))).has_value();
        decoded = utf8 ? DecodeStrictUtf8(bytes) : std::nullopt;
        if (!decoded) {
            decoded = DecodeWithCodePage(bytes, utf8 ? "UTF-8" : kFallbackCodePage);
        }
    }
    std::u16string text = decoded ? std::move(*decoded) : DecodeAsciiOnly(bytes);

    // A byte-order mark left at the start (a forced code page, or a second mark)
    // would become part of the first key and hide it from every look-up.
    if (!text.empty() && text.front() == kByteOrderMark) {
        text.erase(0, 1);
    }
    return text;
}

} // namespace parcelo
