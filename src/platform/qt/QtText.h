#pragma once

#include <QFile>
#include <QString>
#include <string>
#include <string_view>

namespace parcelo {

// The core's UTF-16 text as a QString (a zero-terminated string converts too).
inline QString ToQString(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

// A file name as the C library takes it, in the encoding of the system's file names.
inline std::string LocalPath(const QString& file) {
    return QFile::encodeName(file).toStdString();
}

} // namespace parcelo
