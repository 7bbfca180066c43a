#pragma once

#include "render/DrawingContext.h"

#include <QPixmap>
#include <vector>

namespace parcelo {

// Equal-width images cut from one strip, with magenta (0xFF00FF) transparent.
// The transparency mask is made once, when the list is built. `imageWidth` is in
// the strip's pixels; the images get `devicePixelRatio`, and their sizes are
// given in logical pixels.
class QtImageList final : public ImageList {
public:
    QtImageList(const QPixmap& strip, int imageWidth, double devicePixelRatio = 1.0);

    int Count() const override { return static_cast<int>(images_.size()); }
    bool GetImageSize(int index, Size& size) const override;

    // Image `index` with its transparent parts; null for an index out of range.
    const QPixmap& Image(int index) const;

private:
    std::vector<QPixmap> images_;
};

} // namespace parcelo
