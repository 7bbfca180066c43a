#include "listui/CourierLogos.h"

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QString>
#include <algorithm>
#include <cstdint>
#include <string_view>

namespace parcelo {

namespace {

constexpr QRgb kTransparentKey = 0xFFFF00FF; // the key colour of the logo strips
constexpr double kCornerRadius = 0.16;       // of the logo's size, as in the built-in artwork
constexpr double kLetterSize = 0.5;          // the letter's pixel size, of the logo's size
constexpr int kSaturation = 170;
constexpr int kValue = 175; // dark enough for white text

// The same name always gives the same colour.
QColor NameColour(std::u16string_view name) {
    uint32_t hash = 2166136261u; // FNV-1a
    for (const char16_t unit : name) {
        hash = (hash ^ unit) * 16777619u;
    }
    return QColor::fromHsv(static_cast<int>(hash % 360), kSaturation, kValue);
}

// The first character of the name: one code point, a surrogate pair kept whole.
QString FirstCharacter(std::u16string_view name) {
    const QString text = QString::fromUtf16(name.data(), static_cast<qsizetype>(name.size())).trimmed();
    if (text.isEmpty()) {
        return QStringLiteral("?");
    }
    return text.left(text.front().isHighSurrogate() && text.size() > 1 ? 2 : 1).toUpper();
}

void DrawNameLogo(QPainter& painter, const QRect& square, std::u16string_view name) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(NameColour(name));
    const double radius = square.width() * kCornerRadius;
    painter.drawRoundedRect(square, radius, radius);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(std::max(1, static_cast<int>(square.height() * kLetterSize)));
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(square, Qt::AlignCenter, FirstCharacter(name));
}

} // namespace

QImage CourierLogoStrip(const QImage& builtIn, const std::vector<Courier>& couriers) {
    const int size = builtIn.height();
    const int builtInCount = size > 0 ? builtIn.width() / size : 0;
    if (size <= 0 || static_cast<int>(couriers.size()) <= builtInCount) {
        return builtIn;
    }
    QImage strip(size * static_cast<int>(couriers.size()), size, QImage::Format_RGB32);
    strip.fill(kTransparentKey);
    QPainter painter(&strip);
    painter.drawImage(0, 0, builtIn, 0, 0, builtInCount * size, size);
    // The square's edge is not smoothed: blended with the key colour it would show pink.
    painter.setRenderHint(QPainter::TextAntialiasing);
    for (int index = builtInCount; index < static_cast<int>(couriers.size()); ++index) {
        DrawNameLogo(painter, QRect(index * size, 0, size, size), FieldView(couriers[static_cast<size_t>(index)].name));
    }
    return strip;
}

} // namespace parcelo
