#include "render/qt/ResourceImages.h"

#include "platform/resource.h"

#include <QImageReader>
#include <QPixmap>
#include <QtGlobal>
#include <array>

// Q_INIT_RESOURCE must run outside any namespace. Calling it also keeps the
// compiled resources linked in from the static library.
static void InitParceloResources() {
    Q_INIT_RESOURCE(parcelo);
}

namespace parcelo {
namespace {

void EnsureResources() {
    static const bool initialised = (InitParceloResources(), true);
    (void)initialised;
}

struct ImageEntry {
    int id;
    const char* path;
};

constexpr std::array kImages{
    ImageEntry{IDR_MAINFRAME, ":/images/app-icon-32.png"},
    ImageEntry{IDI_ARROW_DOWN, ":/images/arrow-down.png"},
    ImageEntry{IDI_ARROW_DOWN_HIRES, ":/images/arrow-down-hires.png"},
    ImageEntry{IDB_CHECKBOXES, ":/images/checkboxes.png"},
    ImageEntry{IDB_CHECKBOXES_LARGE, ":/images/checkboxes-large.png"},
    ImageEntry{IDB_COURIER_LOGOS_LARGE, ":/images/courier-logos-large.png"},
    ImageEntry{IDB_COURIER_LOGOS_SMALL, ":/images/courier-logos-small.png"},
    ImageEntry{IDB_ABOUT_LOGO, ":/images/about-logo.png"},
    ImageEntry{IDB_ABOUT_LOGO_LARGE, ":/images/about-logo-large.png"},
};

constexpr std::array kIconSizes{16, 32, 64, 128};

// Every image here is a PNG: read as one, without asking each image format plugin of
// the system whether it knows the file better.
QImage ReadPng(const QString& path) {
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

} // namespace

QString ResourceImagePath(int id) {
    for (const ImageEntry& entry : kImages) {
        if (entry.id == id) {
            return QString::fromLatin1(entry.path);
        }
    }
    return {};
}

QImage LoadResourceImage(int id) {
    EnsureResources();
    const QString path = ResourceImagePath(id);
    return path.isEmpty() ? QImage() : ReadPng(path);
}

QIcon ApplicationIcon() {
    EnsureResources();
    QIcon icon;
    for (const int size : kIconSizes) {
        icon.addPixmap(QPixmap::fromImage(ReadPng(QStringLiteral(":/images/app-icon-%1.png").arg(size))));
    }
    return icon;
}

} // namespace parcelo
