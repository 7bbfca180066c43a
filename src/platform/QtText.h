#pragma once

#include <QString>
#include <string_view>

namespace parcelo {

// The core's UTF-16 text as a QString (a zero-terminated string converts too).
inline QString ToQString(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace parcelo
