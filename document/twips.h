#pragma once

namespace qlx::document {

// Window geometry of the program is given in twips, 1/1440 inch. Twips become pixels
// with the logical resolution (dots per inch) of the device or screen they are shown on.
inline constexpr double twips_per_inch = 1440.0;

// The nearest whole pixel.
int twips_to_pixels(double twips, double dots_per_inch);

double pixels_to_twips(int pixels, double dots_per_inch);

}  // namespace qlx::document
