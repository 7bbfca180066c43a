#pragma once

#include <string_view>

namespace parcelo {

// The short Korean name of a tracking status code for the shipment list, such as
// "배송출발" for OUT_FOR_DELIVERY; an unknown code reads as UNKNOWN ("확인중").
std::u16string ShortStatusName(std::string_view statusCode);

// True for the code of a parcel that has arrived.
constexpr bool IsDeliveredStatus(std::string_view statusCode) {
    return statusCode == "DELIVERED";
}

} // namespace parcelo
