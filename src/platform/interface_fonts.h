#pragma once

#include <array>
#include <string>
#include <string_view>

#include "platform/ui.h"

namespace sonvale::platform {

// The faces the fixed layout is measured against, best first: Arial's widths (Liberation
// Sans, Arimo), then narrower faces for a machine without them. The desktop's own face
// may be wider than every gadget allows for.
inline constexpr std::array<std::string_view, 4> kInterfaceFaces{
    "Liberation Sans", "Arimo", "Liberation Sans Narrow", "DejaVu Sans Condensed"};

// A size meant for 96 DPI, scaled so that the text keeps close to its 96-DPI pixel
// height at the given density: floor(points x 96 / dpi). A density of 0 (unknown)
// leaves the size as it is.
int points_for_density(int points_at_96, int dpi);

// The face of the interface fonts: the first of kInterfaceFaces that is installed,
// else the desktop's GUI face, else "System".
std::string interface_face(const Ui& ui);

// Loads the first (12 points at 96 DPI) and second (16 points) interface fonts.
void create_interface_fonts(Ui& ui);

// Pixels of a size in points at a density; unknown density counts as 96.
int points_to_pixels(int points, int dpi);

}  // namespace sonvale::platform
