#pragma once

#include "platform/Utf8.h"

#include <string>
#include <string_view>

namespace parcelo {

// The text as a JSON string literal, quotes included.
void AppendJsonString(std::string& out, std::u16string_view text);

} // namespace parcelo
