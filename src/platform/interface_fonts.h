#pragma once

#include <string>

#include "platform/ui.h"

namespace sonvale::platform {

// A size meant for 96 DPI, scaled so that the text keeps close to its 96-DPI pixel
// height at the given density: floor(points x 96 / dpi). A density of 0 (unknown)
// leaves the size as it is.
int points_for_density(int points_at_96, int dpi);

// The face of the interface fonts: the desktop's GUI face, "System" without one.
std::string interface_face(const Ui& ui);

// Loads the first (12 points at 96 DPI) and second (16 points) interface fonts.
void create_interface_fonts(Ui& ui);

// Pixels of a size in points at a density; unknown density counts as 96.
int points_to_pixels(int points, int dpi);

}  // namespace sonvale::platform
