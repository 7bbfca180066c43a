// Builds the courier table from arbitrary file content and checks that every
// text field stays terminated inside its array.
#include "config/IniReader.h"
#include "couriers/Courier.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace {

template <size_t N> void CheckTerminated(const char16_t (&field)[N]) {
    if (std::find(field, field + N, u'\0') == field + N) {
        __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    parcelo::CIniReader reader;
    reader.LoadText(std::string_view(reinterpret_cast<const char*>(data), size));

    std::vector<parcelo::Courier> couriers;
    parcelo::BuildCourierTable(reader, couriers);
    if (couriers.size() > 99) {
        __builtin_trap();
    }
    for (const auto& courier : couriers) {
        CheckTerminated(courier.name);
        CheckTerminated(courier.note);
        CheckTerminated(courier.phone);
        CheckTerminated(courier.trackingUrl);
    }
    if (parcelo::FindCourier(couriers, static_cast<int>(couriers.size())) != nullptr) {
        __builtin_trap();
    }
    return 0;
}
