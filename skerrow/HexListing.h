// The text lines of the scanner's hex listing.
#pragma once

#include "TableWalk.h"

#include <string>

namespace skerrow {

// The line of row r of a table: "$", the row's address (at least four upper-case hex digits), ": ",
// each cell as two upper-case hex digits and a blank ("--" for a cell past the end of the image),
// " | ", then each cell as a character. Bytes that have no printable Latin-1 character show as ".",
// cells past the end as a blank, so the columns line up in a fixed-pitch font. The text is UTF-8.
std::string listingLine(const TableCut& table, int row);

// The character shown for a byte in the character part (UTF-8), "." for non-printable ones.
std::string listingCharacter(std::uint8_t b);

} // namespace skerrow
