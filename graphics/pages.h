// Pages: frozen copies of the live picture kept in a list (numbered from 1
// by the user), shown instead of the live picture, and pages 1 and 2 merged
// into one red/cyan anaglyph. The list changes only under the "Graphics"
// lock, so a rendering on another thread never sees it half changed.
#pragma once

#include "graphics/graphics_export.h"
#include "graphics/pixel_device.h"

namespace kalix {

int pageCount();
// Appends a copy of the live picture.
void appendPage();
// Replaces page `index` (0-based; below 0: the first) by a copy of the live
// picture; false (nothing changed) when there is no such page.
bool storePageAt(int index);
// Paints page `index` (as above) onto the live picture's paint target
// without changing the live picture; false when there is no such page.
bool paintPage(int index);
void deleteAllPages();

// What is shown: 0 the live picture, n > 0 page n, -1 the anaglyph of
// pages 1 and 2.
extern int shownPage;
// Shows the live picture (0), page n, or the anaglyph (-1). A page that
// does not exist and numbers below -1 change nothing: false. Showing a page
// stops the live picture's painting until it is shown again; the anaglyph
// stays until the next clear.
bool displayPage(int n);

// Merges `second` into `first` (same size): red carries the grey of the
// first picture, green and blue those of the second, each half mixed with
// its grey. The grey of a pixel is (5 red + 3 green + 4 blue) / 12.
void mergeAnaglyph(PixelImage& first, const PixelImage& second);

// Pages 1 and 2 rendered at width x height (as `renderPicture`) and merged;
// `cannotOpen` when there are fewer than two pages.
ExportResult renderAnaglyph(int width, int height, bool antialias, TextConversion codePageToUtf8,
                            StopPoll stop, PixelImage& out);

}  // namespace kalix
