#include "transfer/Utf8Output.h"

namespace parcelo {

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

void AppendJsonString(std::string& out, std::u16string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    out.push_back('"');
    ForEachCodePoint(text, [&out](char32_t cp) {
        switch (cp) {
        case U'"':
            out.append("\\\"");
            break;
        case U'\\':
            out.append("\\\\");
            break;
        case U'\n':
            out.append("\\n");
            break;
        case U'\r':
            out.append("\\r");
            break;
        case U'\t':
            out.append("\\t");
            break;
        default:
            if (cp < 0x20) {
                out.append("\\u00");
                out.push_back(kHex[cp >> 4]);
                out.push_back(kHex[cp & 0xF]);
            } else {
                AppendUtf8(out, cp);
            }
        }
    });
    out.push_back('"');
}

} // namespace parcelo
