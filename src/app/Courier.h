#pragma once

#include <cstdint>
#include <string>
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

// Fills `out` from keys ID01..ID99 of parcelo.ini, stopping at the first empty key.
// Returns false when the file cannot be opened; `out` is then left empty.
bool LoadCourierTable(const std::u16string& installPath, std::vector<Courier>& out);

// Fills `out` from the keys ID01..ID99 of a reader that is already loaded; the
// step of LoadCourierTable after the file has been read.
void BuildCourierTable(const CIniReader& reader, std::vector<Courier>& out);

// The courier at `index`, or nullptr when a stored index no longer has an entry.
const Courier* FindCourier(const std::vector<Courier>& couriers, int index);

} // namespace parcelo
