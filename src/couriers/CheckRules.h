#pragma once

#include <string_view>

namespace parcelo {

// A check rule looks at a normalised invoice number (ASCII digits and upper-case
// Latin letters, see NormaliseNumber) and says whether its check digit is right.
// Anything the rule does not expect (a wrong length, a letter among the digits)
// fails it.
using CheckRule = bool (*)(std::string_view number);

// Always passes: for couriers whose numbers carry no check digit.
bool CheckNone(std::string_view number);

// Digits only, at least two: the last digit equals the number formed by all the
// other digits modulo 7. The remainder is taken digit by digit, so any length works.
bool CheckMod7(std::string_view number);

// The UPU S10 item identifier of EMS and registered mail: two letters, eight serial
// digits, one check digit and two letters (the country), e.g. AA473124829GB. The
// serial digits are weighted 8 6 4 2 3 5 9 7; the check digit is 11 minus the sum
// modulo 11, where 10 becomes 0 and 11 becomes 5.
bool CheckS10(std::string_view number);

// A UPS 1Z number: "1Z" and 16 digits or letters, the last a digit. The 15 characters
// between count with their digit value, a letter as its character code minus 63 modulo
// 10 (A = 2, ... I = 0, ...); those at even positions (the 2nd, 4th, ...) count twice,
// and the check digit brings the sum to a multiple of 10, e.g. 1Z999AA10123456784.
bool CheckUps(std::string_view number);

// The rule written as `name` in the courier file: "none", "mod7", "s10" or "ups", ASCII
// case ignored. nullptr when no rule has that name (the empty name included).
CheckRule FindCheckRule(std::u16string_view name);

} // namespace parcelo
