// The clock's place on the screen: one rule for start-up and for every change
// of the display or of its work area.
#pragma once

#include "core/Program.h"

namespace varnel {

// Pixels at 96 DPI as pixels at this display's scale, as windows are scaled.
int scaledPixels(int pixels, int dpi);
// 10 and 50 pixels (scaled) from the screen's right and bottom edges, then up
// and left just enough to lie wholly in the work area; a work area smaller
// than the window gets its top-left corner.
WindowPlace cornerPlace(Size screen, Rect workArea, Size window, int dpi);
// The same on this display, for a window of that size.
WindowPlace cornerPlace(Platform& platform, Size window);
bool liesWithin(const Rect& inner, const Rect& outer);

}  // namespace varnel
