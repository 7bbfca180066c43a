// Feeds fuzzed bytes to the tracking page's line reader, cut where the first byte says,
// and checks every line it gives: printable, within the limit, and, when a side accepts
// it, exactly the line of its message.
#include "pageprotocol/PageProtocol.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::size_t cut = 1 + data[0];
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    parcelo::PageLineReader reader;
    for (std::size_t at = 0; at < bytes.size(); at += cut) {
        reader.Feed(bytes.substr(at, cut));
        while (const std::optional<std::string> line = reader.TakeLine()) {
            if (line->size() + 1 > parcelo::kPageLineLimit) {
                __builtin_trap();
            }
            for (const char c : *line) {
                if (c < 0x20 || c > 0x7e) {
                    __builtin_trap();
                }
            }
            for (const parcelo::PageSender sender : {parcelo::PageSender::Program, parcelo::PageSender::Page}) {
                if (const std::optional<parcelo::PageMessage> message = parcelo::ParsePageLine(*line, sender)) {
                    if (parcelo::FormatPageLine(*message) != *line + "\n") {
                        __builtin_trap();
                    }
                }
            }
        }
    }
    return 0;
}
