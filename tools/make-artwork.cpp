// Draws the program's pictures and writes them as PNG files (and the icon as
// SVG) into the folder given on the command line, normally res/images:
//
//   make-artwork res/images
//
// Everything is drawn from the shapes below, so the pictures can be made again
// at any time. Korean text uses Noto Sans CJK KR.
#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTextStream>
#include <array>
#include <cstdio>

namespace {

constexpr QRgb kMagenta = 0xFFFF00FF;
const QString kFontFamily = QStringLiteral("Noto Sans CJK KR");

// One logo per courier, in the order of the couriers in the sample parcelo.ini.
struct CourierBadge {
    const char* label;      // on the large logo
    const char* shortLabel; // on the small logo
    QRgb colour;
};

const std::array<CourierBadge, 15> kCourierBadges{{
    {"CJ", "CJ", 0xFF1565C0},     // CJ대한통운
    {"우체국", "우", 0xFFE53935}, // 우체국택배
    {"한진", "한", 0xFF3949AB},   // 한진택배
    {"롯데", "롯", 0xFFAD1457},   // 롯데택배
    {"로젠", "로", 0xFF2E7D32},   // 로젠택배
    {"경동", "경", 0xFFEF6C00},   // 경동택배
    {"대신", "대", 0xFF0288D1},   // 대신택배
    {"일양", "일", 0xFF00897B},   // 일양로지스
    {"합동", "합", 0xFF6A1B9A},   // 합동택배
    {"천일", "천", 0xFF6D4C41},   // 천일택배
    {"건영", "건", 0xFF37474F},   // 건영택배
    {"CU", "CU", 0xFF7CB342},     // CU편의점택배
    {"GS", "GS", 0xFF00ACC1},     // GS25택배
    {"농협", "농", 0xFF827717},   // 농협택배
    {"EMS", "E", 0xFFB71C1C},     // 우체국EMS
}};

bool Save(const QImage& image, const QDir& folder, const QString& name) {
    const QString path = folder.filePath(name);
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "make-artwork: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s %dx%d\n", qPrintable(path), image.width(), image.height());
    return true;
}

QFont BoldFont(int pixelSize) {
    QFont font(kFontFamily);
    font.setPixelSize(pixelSize);
    font.setBold(true);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

// The largest bold font, up to `maxPixelSize`, in which `text` fits `box`.
QFont FittingFont(const QString& text, QSizeF box, int maxPixelSize) {
    for (int pixelSize = maxPixelSize; pixelSize > 6; --pixelSize) {
        const QFont font = BoldFont(pixelSize);
        const QFontMetrics metrics(font);
        if (metrics.horizontalAdvance(text) <= box.width() && metrics.capHeight() * 1.45 <= box.height()) {
            return font;
        }
    }
    return BoldFont(6);
}

// Draws `text` centred on its ink in `box`, so that Hangul and Latin labels sit
// in the middle of the badge alike.
void DrawCentredText(QPainter& painter, const QRectF& box, const QString& text) {
    QPainterPath path;
    path.addText(0, 0, painter.font(), text);
    const QRectF ink = path.boundingRect();
    painter.save();
    painter.translate(box.center() - ink.center());
    painter.setPen(Qt::NoPen);
    painter.drawPath(path);
    painter.restore();
}

// ---------------------------------------------------------------------------
// Application icon: a parcel with a green tick on a blue rounded square, drawn
// in a 128-unit square. The SVG version below uses the same shapes.

void DrawAppIcon(QPainter& painter, qreal size) {
    painter.save();
    painter.scale(size / 128.0, size / 128.0);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x1E, 0x6F, 0xD9));
    painter.drawRoundedRect(QRectF(4, 4, 120, 120), 26, 26);
    painter.setBrush(QColor(0xE0, 0xA4, 0x58));
    painter.drawRect(QRectF(28, 46, 66, 56));
    painter.setBrush(QColor(0xC9, 0x8A, 0x3E));
    painter.drawRect(QRectF(24, 34, 74, 16));
    painter.setBrush(QColor(0xF3, 0xD9, 0xA4));
    painter.drawRect(QRectF(54, 34, 14, 68));
    painter.setBrush(QColor(0x2D, 0xB2, 0x4A));
    painter.setPen(QPen(Qt::white, 4));
    painter.drawEllipse(QPointF(94, 94), 22, 22);
    painter.setPen(QPen(Qt::white, 7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    const QPointF tick[] = {{83, 94}, {91, 102}, {106, 86}};
    painter.drawPolyline(tick, 3);
    painter.restore();
}

QImage AppIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    DrawAppIcon(painter, size);
    return image;
}

const char kAppIconSvg[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="128" height="128" viewBox="0 0 128 128">
  <rect x="4" y="4" width="120" height="120" rx="26" fill="#1E6FD9"/>
  <rect x="28" y="46" width="66" height="56" fill="#E0A458"/>
  <rect x="24" y="34" width="74" height="16" fill="#C98A3E"/>
  <rect x="54" y="34" width="14" height="68" fill="#F3D9A4"/>
  <circle cx="94" cy="94" r="22" fill="#2DB24A" stroke="#FFFFFF" stroke-width="4"/>
  <polyline points="83,94 91,102 106,86" fill="none" stroke="#FFFFFF" stroke-width="7"
            stroke-linecap="round" stroke-linejoin="round"/>
</svg>
)";

bool SaveSvg(const QDir& folder, const QString& name) {
    QFile file(folder.filePath(name));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "make-artwork: cannot write %s\n", qPrintable(file.fileName()));
        return false;
    }
    file.write(kAppIconSvg);
    std::printf("%s\n", qPrintable(file.fileName()));
    return true;
}

// ---------------------------------------------------------------------------
// Drop-down arrows: a 32 x 32 icon, transparent but for a black triangle whose
// top row starts at (left, top) and is `width` pixels wide; each row below is
// one pixel shorter at both ends.

QImage ArrowIcon(int left, int top, int width) {
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int row = 0; width - 2 * row > 0; ++row) {
        for (int x = left + row; x < left + width - row; ++x) {
            image.setPixel(x, top + row, 0xFF000000);
        }
    }
    return image;
}

// ---------------------------------------------------------------------------
// Check boxes: a strip of eight 16 x 16 images on magenta; 0 is an empty box,
// 1 a ticked box, the rest are unused. The large strip has `scale` times the
// pixels, for screens that Qt scales.

QImage CheckBoxes(int scale) {
    QImage image(128 * scale, 16 * scale, QImage::Format_RGB32);
    image.fill(kMagenta);
    QPainter painter(&image);
    painter.scale(scale, scale);
    for (int index = 0; index < 2; ++index) {
        const int x = index * 16;
        painter.setPen(QColor(0x40, 0x40, 0x40));
        painter.setBrush(Qt::white);
        painter.drawRect(x + 1, 1, 13, 13); // outline from 1 to 14
        if (index == 1) {
            painter.setPen(QPen(Qt::black, 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
            const QPoint tick[] = {{x + 4, 8}, {x + 7, 11}, {x + 11, 5}};
            painter.drawPolyline(tick, 3);
        }
    }
    return image;
}

// ---------------------------------------------------------------------------
// Courier logos: a coloured rounded badge with white letters per courier, on
// magenta. Badges are drawn smoothly on a transparent layer; edge pixels are
// then blended with white, so that no blend of a badge colour and magenta shows
// around a logo on the white list.

QImage OnMagenta(const QImage& layer) {
    QImage image(layer.size(), QImage::Format_RGB32);
    for (int y = 0; y < layer.height(); ++y) {
        for (int x = 0; x < layer.width(); ++x) {
            const QRgb pixel = layer.pixel(x, y);
            const int alpha = qAlpha(pixel);
            if (alpha == 0) {
                image.setPixel(x, y, kMagenta);
                continue;
            }
            const auto overWhite = [alpha](int channel) { return (channel * alpha + 255 * (255 - alpha)) / 255; };
            image.setPixel(x, y, qRgb(overWhite(qRed(pixel)), overWhite(qGreen(pixel)), overWhite(qBlue(pixel))));
        }
    }
    return image;
}

QImage CourierLogos(int size, bool large) {
    const int count = static_cast<int>(kCourierBadges.size());
    QImage layer(size * count, size, QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    QPainter painter(&layer);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const qreal margin = large ? 2 : 1;
    const qreal radius = size * 0.22;
    for (int index = 0; index < count; ++index) {
        const CourierBadge& badge = kCourierBadges[static_cast<std::size_t>(index)];
        const QRectF tile(index * size, 0, size, size);
        const QRectF body = tile.adjusted(margin, margin, -margin, -margin);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor::fromRgb(badge.colour));
        painter.drawRoundedRect(body, radius, radius);

        const QString label = QString::fromUtf8(large ? badge.label : badge.shortLabel);
        const QRectF textBox = body.adjusted(size * 0.1, size * 0.1, -size * 0.1, -size * 0.1);
        painter.setFont(FittingFont(label, textBox.size(), large ? 22 : 12));
        painter.setBrush(Qt::white);
        DrawCentredText(painter, textBox, label);
    }
    painter.end();
    return OnMagenta(layer.convertToFormat(QImage::Format_ARGB32));
}

// ---------------------------------------------------------------------------
// About-box logo: the icon and the word "Parcelo" on white.

QImage AboutLogo(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const qreal iconSize = height - 2;
    painter.save();
    painter.translate(1, 1);
    DrawAppIcon(painter, iconSize);
    painter.restore();

    const QString word = QStringLiteral("Parcelo");
    const QRectF textBox(iconSize + height * 0.3, 0, width - iconSize - height * 0.4, height);
    painter.setFont(FittingFont(word, QSizeF(textBox.width(), height), height));
    painter.setBrush(QColor(0x0B, 0x3D, 0x91));
    DrawCentredText(painter, textBox, word);
    return image;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-artwork OUTPUT-FOLDER\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.exists() && !QDir().mkpath(folder.path())) {
        std::fprintf(stderr, "make-artwork: cannot create %s\n", argv[1]);
        return 1;
    }

    bool ok = true;
    for (const int size : {16, 32, 48, 64, 128}) {
        ok = Save(AppIcon(size), folder, QStringLiteral("app-icon-%1.png").arg(size)) && ok;
    }
    ok = SaveSvg(folder, QStringLiteral("app-icon.svg")) && ok;
    ok = Save(ArrowIcon(4, 7, 7), folder, QStringLiteral("arrow-down.png")) && ok;
    ok = Save(ArrowIcon(6, 14, 19), folder, QStringLiteral("arrow-down-hires.png")) && ok;
    ok = Save(CheckBoxes(1), folder, QStringLiteral("checkboxes.png")) && ok;
    ok = Save(CheckBoxes(2), folder, QStringLiteral("checkboxes-large.png")) && ok;
    ok = Save(CourierLogos(50, true), folder, QStringLiteral("courier-logos-large.png")) && ok;
    ok = Save(CourierLogos(25, false), folder, QStringLiteral("courier-logos-small.png")) && ok;
    ok = Save(AboutLogo(142, 29), folder, QStringLiteral("about-logo.png")) && ok;
    ok = Save(AboutLogo(283, 57), folder, QStringLiteral("about-logo-large.png")) && ok;
    return ok ? 0 : 1;
}
