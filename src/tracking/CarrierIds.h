#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace parcelo {

class CIniReader;

// The tracking service's carrier id of each courier, from the optional keys
// CARRIERnn of parcelo.ini (nn as in IDnn), e.g. CARRIER01=kr.cjlogistics: entry i
// belongs to the courier of index i and is empty when the key is missing or holds
// anything but ASCII letters, digits, '.', '_' and '-'.
std::vector<std::string> ReadCarrierIds(const CIniReader& reader, size_t courierCount);

} // namespace parcelo
