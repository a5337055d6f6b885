// The scanner's fixed-pitch font. The hex listing and the map list line up in columns only when every
// glyph has one width, and a generic "monospace" request does not promise that on every machine: it
// may resolve to a font whose entry says otherwise, or to a proportional one. So the scanner names its
// families and measures them.
#pragma once

#include <QFont>
#include <QStringList>

namespace skerrow {

// The families tried, best first: common fixed-pitch fonts of Linux, Windows and macOS.
QStringList fixedPitchFamilies();

// True when the font, as it resolves on this machine, draws narrow, wide, digit and punctuation
// glyphs with one advance.
bool hasOneGlyphWidth(const QFont& font);

// The first of the candidates that this machine has and that has one glyph width, at pointSize (the
// family's default size when pointSize is not positive). When none fits, the system's fixed font.
QFont fixedPitchFont(int pointSize, const QStringList& candidates = fixedPitchFamilies());

} // namespace skerrow
