#pragma once

#include <QIcon>
#include <QImage>
#include <QString>

// The pictures compiled into the program (res/parcelo.qrc), found by resource id.
namespace parcelo {

// The resource path of bitmap or icon `id` (IDB_*, IDI_*, IDR_MAINFRAME), empty for an unknown id.
QString ResourceImagePath(int id);
// The picture of `id`; a null image for an unknown id.
QImage LoadResourceImage(int id);
// The application icon in all its sizes.
QIcon ApplicationIcon();

} // namespace parcelo
