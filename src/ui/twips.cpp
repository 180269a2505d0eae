#include "ui/twips.h"

#include <cmath>

namespace kestro {

double twipsPerPixel(double logicalDpi) {
    if (!(logicalDpi > 0))
        return 15.0;
    return 1440.0 / logicalDpi;
}

int twipsToPixels(double twips, double twipsPerPixel) {
    return static_cast<int>(std::lround(twips / twipsPerPixel));
}

double pixelsToTwips(int pixels, double twipsPerPixel) {
    return pixels * twipsPerPixel;
}

} // namespace kestro
