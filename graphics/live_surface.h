// The live picture as a drawing surface: each call records through the
// entry points of the graphics store (one "Graphics" lock per primitive), so
// the plot routines that draw onto any surface can draw the live picture.
#pragma once

#include "graphics/surface.h"

namespace kalix {

Surface& liveSurface();

}  // namespace kalix
