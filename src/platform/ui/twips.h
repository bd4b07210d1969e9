// Twips, the unit window layouts are given in: 1/1440 inch, so 15 twips make a pixel at 96
// dots per inch.
#pragma once

class QWidget;

namespace lumbrook::platform {

// `twips` in pixels at `dotsPerInch`, rounded to the nearest pixel.
int TwipsToPixels(int twips, double dotsPerInch);

// `twips` in pixels on the primary screen, by its logical dots per inch (96 when no screen
// is known).
int TwipsToPixelsX(int twips);
int TwipsToPixelsY(int twips);

// Gives `widget` a position and size in twips within its container's client area.
void PlaceInTwips(QWidget* widget, int left, int top, int width, int height);

// Gives `window` the platform's 8-point dialog font (165 twips high), the font that layouts
// in twips are given for: a larger one would cut their captions short.
void UseDialogFont(QWidget* window);

}  // namespace lumbrook::platform
