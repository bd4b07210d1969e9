// Twips, the unit window layouts are given in: 1/1440 inch, so 15 twips make a pixel at 96
// dots per inch.
#pragma once

namespace lumbrook::platform {

// `twips` in pixels at `dotsPerInch`, rounded to the nearest pixel.
int TwipsToPixels(int twips, double dotsPerInch);

// `twips` in pixels on the primary screen, by its logical dots per inch (96 when no screen
// is known).
int TwipsToPixelsX(int twips);
int TwipsToPixelsY(int twips);

}  // namespace lumbrook::platform
