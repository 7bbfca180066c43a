#pragma once

#include "couriers/Courier.h"

#include <QImage>
#include <vector>

namespace parcelo {

// The strip of courier logos, one square image per courier in the order of the
// courier table: the built-in artwork first, then for every courier past its end a
// logo drawn from the courier's name (its first character in white on a rounded
// square of a colour derived from the name), so that a line added to parcelo.ini
// needs no artwork. The strip's height is the size of one logo; the corners outside
// the square are the strip's transparent key colour, as in the built-in artwork.
QImage CourierLogoStrip(const QImage& builtIn, const std::vector<Courier>& couriers);

} // namespace parcelo
