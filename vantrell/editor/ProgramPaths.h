// Paths that the editor keeps as text in its settings file.
#pragma once

#include <string>

namespace vantrell {

// The ROM image path remembered in the settings file, made usable: '\' separators become '/', and a
// relative path (as the demo folder ships it, "data\demo.bin") is taken from the program folder. An
// absolute path ("/home/...", "C:\...", "\\server\...") and the text of a missing key are returned as
// they stand (apart from the separators).
std::string resolveRememberedPath(const std::string& remembered, const std::string& programFolder);

} // namespace vantrell
