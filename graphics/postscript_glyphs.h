// Glyph names of the standard PostScript fonts, by which the EPS writer
// draws characters: code page 1252 as the fonts' re-encoded vector, and
// the Latin, Greek and Cyrillic letters and the signs beyond it.
#pragma once

#include <string>

namespace kalix {

// The glyph of a byte 128..255 in code page 1252 (".notdef" where 1252
// has no character).
const char* codePage1252GlyphName(unsigned char byte);
// The glyph of a code point beyond code page 1252: the fonts' own name
// where they have one, else the name "uniXXXX" ("uXXXXX" above U+FFFF)
// by which fonts name the others.
std::string glyphNameOf(int codePoint);

}  // namespace kalix
