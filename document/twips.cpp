#include "document/twips.h"

#include <cmath>

namespace qlx::document {

int twips_to_pixels(double twips, double dots_per_inch) {
    return static_cast<int>(std::lround(twips * dots_per_inch / twips_per_inch));
}

double pixels_to_twips(int pixels, double dots_per_inch) {
    return pixels * twips_per_inch / dots_per_inch;
}

}  // namespace qlx::document
