#include "render/qt/QtImageList.h"

#include <QImage>
#include <cmath>
#include <utility>

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

QtImageList::QtImageList(const QPixmap& strip, int imageWidth, double devicePixelRatio) {
    if (imageWidth <= 0 || strip.isNull()) {
        return;
    }
    const QImage masked = WithTransparentKey(strip);
    const int count = masked.width() / imageWidth;
    images_.reserve(static_cast<size_t>(count));
    for (int index = 0; index < count; ++index) {
        QPixmap image = QPixmap::fromImage(masked.copy(index * imageWidth, 0, imageWidth, masked.height()));
        image.setDevicePixelRatio(devicePixelRatio);
        images_.push_back(std::move(image));
    }
}

bool QtImageList::GetImageSize(int index, Size& size) const {
    if (index < 0 || index >= Count()) {
        return false;
    }
    const QPixmap& image = images_[static_cast<size_t>(index)];
    const QSizeF logical = image.deviceIndependentSize();
    size = {static_cast<int>(std::lround(logical.width())), static_cast<int>(std::lround(logical.height()))};
    return true;
}

const QPixmap& QtImageList::Image(int index) const {
    static const QPixmap none;
    return index >= 0 && index < Count() ? images_[static_cast<size_t>(index)] : none;
}

} // namespace parcelo
