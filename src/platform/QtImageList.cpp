#include "platform/QtImageList.h"

#include <QImage>

namespace parcelo {

namespace {

constexpr QRgb TRANSPARENT_KEY = 0xFF00FF;

QImage WithTransparentKey(const QPixmap& strip) {
    QImage image = strip.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((line[x] & 0xFFFFFF) == TRANSPARENT_KEY) {
                line[x] = 0;
            }
        }
    }
    return image;
}

} // namespace

QtImageList::QtImageList(const QPixmap& strip, int imageWidth) {
    if (imageWidth <= 0 || strip.isNull()) {
        return;
    }
    const QImage masked = WithTransparentKey(strip);
    const int count = masked.width() / imageWidth;
    images_.reserve(static_cast<size_t>(count));
    for (int index = 0; index < count; ++index) {
        images_.push_back(QPixmap::fromImage(masked.copy(index * imageWidth, 0, imageWidth, masked.height())));
    }
}

bool QtImageList::GetImageSize(int index, Size& size) const {
    if (index < 0 || index >= Count()) {
        return false;
    }
    const QPixmap& image = images_[static_cast<size_t>(index)];
    size = {image.width(), image.height()};
    return true;
}

const QPixmap& QtImageList::Image(int index) const {
    static const QPixmap none;
    return index >= 0 && index < Count() ? images_[static_cast<size_t>(index)] : none;
}

} // namespace parcelo
