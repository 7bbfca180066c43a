#pragma once

#include "couriers/CourierDetector.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace parcelo {

class CIniReader;

// One courier company from parcelo.ini. Text fields are fixed, zero-terminated
// UTF-16 arrays; longer values are truncated when the table is loaded.
struct Courier {
    char16_t name[8];
    int32_t code;
    char16_t note[32];
    char16_t phone[15];
    char16_t trackingUrl[256];
};

// The path of parcelo.ini inside the folder named by the profile's INSTALLPATH.
// The separator is appended unconditionally: an empty folder gives "/parcelo.ini".
std::u16string CourierFilePath(const std::u16string& installPath);

// What loading parcelo.ini gave.
enum class CourierFileStatus {
    Loaded,      // at least one courier
    NoCouriers,  // the file was read, but it has no ID01 entry
    Missing,     // missing, unreadable, or refused: not a regular file, or over the size limit
    PathTooLong, // the path has 260 UTF-16 units or more
};

// Fills `out` from keys ID01..ID99 of parcelo.ini, stopping at the first empty key.
// `out` is left empty unless the result is Loaded.
CourierFileStatus LoadCourierTable(const std::u16string& installPath, std::vector<Courier>& out);
// The same, and the detection rules (keys NUMBERnn and CHECKnn) of the couriers
// read into `rules`; `rules` is left empty unless the result is Loaded.
CourierFileStatus LoadCourierTable(const std::u16string& installPath, std::vector<Courier>& out,
                                   std::vector<CourierDetector::Rule>& rules);
// The same, and `alsoRead` is given the loaded file for keys of its own when the
// result is Loaded.
CourierFileStatus LoadCourierTable(const std::u16string& installPath, std::vector<Courier>& out,
                                   std::vector<CourierDetector::Rule>& rules,
                                   const std::function<void(const CIniReader&)>& alsoRead);

// Fills `out` from the keys ID01..ID99 of a reader that is already loaded; the
// step of LoadCourierTable after the file has been read.
void BuildCourierTable(const CIniReader& reader, std::vector<Courier>& out);

// The text of a fixed courier field (name, note, phone, tracking address): up to
// its terminating zero, or the whole field when it is full.
template <std::size_t N> std::u16string_view FieldView(const char16_t (&field)[N]) {
    std::size_t length = 0;
    while (length < N && field[length] != u'\0') {
        ++length;
    }
    return {field, length};
}

// The courier at `index`, or nullptr when a stored index no longer has an entry.
const Courier* FindCourier(const std::vector<Courier>& couriers, int index);

} // namespace parcelo
