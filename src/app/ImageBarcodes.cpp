#include "app/ImageBarcodes.h"

#include "barcode/BarcodeReader.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QImageReader>

namespace parcelo {

namespace {

bool TooManyPixels(const QSize& size) {
    return size.isValid() && qint64{size.width()} * size.height() > ImageBarcodes::kMaxPixels;
}

} // namespace

bool ImageBarcodes::IsImageFile(const QString& path) {
    QImageReader reader(path);
    return reader.canRead();
}

ImageBarcodes::Result ImageBarcodes::ReadFile(const QString& path) {
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable()) {
        return {Status::Missing, {}, {}};
    }
    if (info.size() > kMaxFileBytes) {
        return {Status::TooLarge, {}, {}};
    }
    QImageReader reader(path);
    if (!reader.canRead()) {
        return {Status::NotAnImage, {}, {}};
    }
    // The header gives the size: a huge image is refused before it is decoded. An image
    // whose header hides its size is held to the same bound by the allocation limit.
    const QSize size = reader.size();
    if (TooManyPixels(size)) {
        return {Status::TooLarge, {}, size};
    }
    reader.setAllocationLimit(static_cast<int>(kMaxPixels * 4 / (qint64{1} << 20)) + 1);
    QImage image;
    if (!reader.read(&image)) {
        return {Status::NotAnImage, {}, size};
    }
    return ReadImage(image);
}

ImageBarcodes::Result ImageBarcodes::ReadImage(const QImage& image) {
    if (image.isNull()) {
        return {Status::NotAnImage, {}, {}};
    }
    if (TooManyPixels(image.size())) {
        return {Status::TooLarge, {}, image.size()};
    }
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    const GreyImageView view{grey.constBits(), grey.width(), grey.height(), static_cast<int>(grey.bytesPerLine())};
    Result result{Status::Read, {}, image.size()};
    for (const std::string& text : BarcodeReader::Read(view)) {
        result.texts << QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    }
    return result;
}

QString ImageBarcodes::Describe(const Result& result, const QString& what) {
    switch (result.status) {
    case Status::Read:
        break;
    case Status::Missing:
        return QCoreApplication::translate("ImageBarcodes", "파일을 열 수 없습니다: %1").arg(what);
    case Status::NotAnImage:
        return QCoreApplication::translate("ImageBarcodes",
                                           "이미지를 읽을 수 없습니다: %1\n손상되었거나 지원하지 않는 형식입니다.")
            .arg(what);
    case Status::TooLarge:
        return (result.size.isValid()
                    ? QCoreApplication::translate("ImageBarcodes", "이미지가 너무 큽니다 (%1×%2 화소): %3\n")
                          .arg(result.size.width())
                          .arg(result.size.height())
                          .arg(what)
                    : QCoreApplication::translate("ImageBarcodes", "이미지가 너무 큽니다: %1\n").arg(what)) +
               QCoreApplication::translate("ImageBarcodes", "5천만 화소, 100MB 이하의 이미지로 다시 시도하십시오.");
    }
    return {};
}

QString ImageBarcodes::AsText(const QStringList& texts) {
    QString text;
    for (const QString& one : texts) {
        for (QChar c : one) {
            const char16_t unit = c.unicode();
            text += unit == u'\r' || unit == u'\n' || unit == u'\t' ? c : unit < 0x20 || unit == 0x7F ? QChar(u' ') : c;
        }
        text += u'\n';
    }
    return text;
}

} // namespace parcelo
