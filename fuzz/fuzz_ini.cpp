// Feeds arbitrary file content to the INI reader and the text decoders.
#include "config/IniReader.h"
#include "platform/CodePage.h"
#include "platform/Utf8.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    parcelo::CIniReader reader;
    reader.LoadText(bytes);
    for (const auto* key : {u"ID01", u"ID99", u"", u"[section]"}) {
        (void)reader.GetValue(key);
    }

    // Valid UTF-8 must come back unchanged through UTF-16.
    if (const auto text = parcelo::DecodeStrictUtf8(bytes)) {
        if (parcelo::Utf16ToUtf8(*text) != bytes) {
            __builtin_trap();
        }
    }
    // UTF-16 always decodes to one unit per byte pair, and one more for an odd byte.
    for (const bool bigEndian : {false, true}) {
        if (parcelo::DecodeUtf16(bytes, bigEndian).size() != (size + 1) / 2) {
            __builtin_trap();
        }
    }
    (void)parcelo::DecodeWithCodePage(bytes, "CP949");
    (void)parcelo::DecodeWithCodePage(bytes, "UTF-8");
    return 0;
}
