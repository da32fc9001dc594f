#pragma once
// Our own stroke lettering for the program's name: each glyph is a few lines
// and circular arcs of one pen width, so it scales to any size and its edges
// can be smoothed exactly from the distance to the pen's path.

#include "art_basics.h"

namespace artgen {

// Where the name sits in a picture, in the picture's unit coordinates
// (0..1 across, y downwards).
struct TextPlacement {
    double centreX = 0.5;
    double baseline = 0.5;
    double xHeight = 0.1;  // height of a lower-case letter, in picture widths
    double aspect = 1.0;   // picture height divided by its width
};

// How much of the pixel of width `pixel` (in picture widths) around `p` the
// lettering "Nightloom" covers, 0..1.
double NameCoverage(const TextPlacement& placement, Point p, double pixel);

}  // namespace artgen
