#pragma once

// Twips (1/1440 inch) and screen pixels. The factor is the width of one
// logical pixel in twips: 15 at 96 dpi, 10 at 144 dpi. Positions kept in
// twips therefore keep the window's proportions on any screen.

namespace kestro {

// 1440 / `logicalDpi`; 15 when the resolution is unknown (zero or less).
double twipsPerPixel(double logicalDpi);

// Whole pixels for `twips`, rounded to the nearest pixel.
int twipsToPixels(double twips, double twipsPerPixel);

double pixelsToTwips(int pixels, double twipsPerPixel);

} // namespace kestro
