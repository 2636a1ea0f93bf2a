#include "clock/ClockPlace.h"

#include <algorithm>

namespace varnel {

int scaledPixels(int pixels, int dpi) {
    return (pixels * dpi + 48) / 96;  // rounded as Windows' MulDiv rounds
}

WindowPlace cornerPlace(Size screen, Rect workArea, Size window, int dpi) {
    const int left = screen.width - window.width - scaledPixels(10, dpi);
    const int top = screen.height - window.height - scaledPixels(50, dpi);
    const int right = workArea.left + workArea.width, bottom = workArea.top + workArea.height;
    return {std::max(workArea.left, std::min(left, right - window.width)),
            std::max(workArea.top, std::min(top, bottom - window.height))};
}

WindowPlace cornerPlace(Platform& platform, Size window) {
    return cornerPlace(platform.screenSize(), platform.workArea(), window, platform.displayDpi());
}

bool liesWithin(const Rect& inner, const Rect& outer) {
    return inner.left >= outer.left && inner.top >= outer.top &&
           inner.left + inner.width <= outer.left + outer.width &&
           inner.top + inner.height <= outer.top + outer.height;
}

}  // namespace varnel
