// Reducing pictures drawn larger than shown.
#pragma once

#include "graphics/pixel_device.h"

namespace kalix {

// Pictures drawn for smoothing are this many times wider and higher.
constexpr int antialiasFactor = 3;

// Reduces a 3w x 3h `source` into the w x h `target`: each target pixel is
// the weighted mean of the 5 x 5 source pixels around the centre of its
// 3 x 3 block, with the weights (1, 3, 4, 3, 1) times (1, 3, 4, 3, 1) (sum
// 144), or (1, 5, 6, 5, 1) squared (sum 324) when `sharper`. Pixels on the
// border use only the weights whose pixels lie inside and divide by their
// sum. Integer sums, the quotient truncated, each colour apart.
// False (nothing done) when the sizes are not exactly 3:1.
bool filterDownBy3(const PixelImage& source, PixelImage& target, bool sharper);

// Any other reduction or enlargement: each target pixel is the mean of the
// source area it covers.
void resampleInto(const PixelImage& source, PixelImage& target);

// `filterDownBy3` when the sizes are exactly 3:1 and `filter` is set,
// else `resampleInto`.
void reduceInto(const PixelImage& source, PixelImage& target, bool filter, bool sharper);

}  // namespace kalix
