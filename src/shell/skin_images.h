#pragma once

#include "platform/ui.h"

namespace sonvale::shell {

// Decodes the built-in pictures into their image numbers (logo, counter labels,
// banner, illustration, blank panel, orb) and creates the empty 540 x 100 working
// image of the now-playing panel. A picture that does not decode is left out.
void load_skin_images(platform::Ui& ui);

}  // namespace sonvale::shell
