#pragma once
// Gradient noise that repeats after a whole number of lattice cells, so a
// picture made from it tiles without a seam.

#include <cstdint>

namespace artgen {

// One octave over the unit square: `cells` lattice cells across, repeating
// at x and y = 1. Values lie roughly within -0.7..0.7.
double PeriodicNoise(double x, double y, int cells, std::uint32_t seed);

// Octaves of doubling detail and halving strength, starting at `cells`;
// normalised so the result stays roughly within -0.7..0.7 as well.
double PeriodicFractal(double x, double y, int cells, int octaves, std::uint32_t seed);

}  // namespace artgen
