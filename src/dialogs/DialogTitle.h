#pragma once

#include <string_view>

class QWidget;

namespace parcelo {

class DrawingContext;
struct ScreenDpi;

// The height of the title band in logical pixels: 24 at 96 dots per inch.
int TitleBandHeight(const ScreenDpi& dpi);

// Paints the title band at the top of a dialog: `title` in a bold copy of the
// current font, dark blue, on one line left aligned and vertically centred,
// and a black rule under the band across the whole width.
void DrawDialogTitle(DrawingContext& dc, std::u16string_view title, const ScreenDpi& dpi);
// The same with the program's figure of the screen.
void DrawDialogTitle(DrawingContext& dc, std::u16string_view title);
// The same on `widget`, in its own font; call from its paint handler.
void DrawDialogTitle(QWidget& widget, std::u16string_view title);

} // namespace parcelo
