#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

namespace parcelo {

// The barcodes of an image file or of an image in memory (a pasted screenshot), as
// the text of each. Needs no window: the command line reads images with it too. Files
// and images beyond the bounds below are refused before their pixels are decoded.
class ImageBarcodes {
public:
    // A photograph of 8160 x 6120 pixels, or a file of this many bytes, is the most read.
    static constexpr qint64 kMaxPixels = 50'000'000;
    static constexpr qint64 kMaxFileBytes = qint64{100} << 20;

    enum class Status {
        Read,       // `texts` holds what was found, perhaps nothing
        Missing,    // the file cannot be opened
        NotAnImage, // no image format reads it, or it is damaged
        TooLarge,   // over kMaxPixels or kMaxFileBytes; not decoded
    };
    struct Result {
        Status status = Status::Read;
        QStringList texts; // from the top of the image down, each text once
        QSize size;        // in pixels, when known
    };

    // True when an image format recognises the file's first bytes (or its name).
    static bool IsImageFile(const QString& path);
    static Result ReadFile(const QString& path);
    static Result ReadImage(const QImage& image);

    // What went wrong, in Korean, for a status other than Read; `what` names the
    // file or the image.
    static QString Describe(const Result& result, const QString& what);
    // The texts as one text for the number finder: one line each, other control
    // characters made blanks.
    static QString AsText(const QStringList& texts);
};

} // namespace parcelo
