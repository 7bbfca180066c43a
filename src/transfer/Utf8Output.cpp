#include "transfer/Utf8Output.h"

namespace parcelo {

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
