// Reading and writing ROM image files: raw bytes, no header, file offset 0 = ROM address 0.
#pragma once

#include "vantrell/document/RomDocument.h"
#include "vantrell/document/RomBuffer.h"

#include <cstddef>
#include <string>

namespace vantrell {

struct RomRead
{
    bool ok = false;           // false: the file could not be read; the buffer is unchanged
    std::size_t bytesRead = 0; // how many bytes came from the file (at most the buffer size)
    bool shortFile = false;    // the file was shorter than the buffer; the rest is now zero
    std::size_t fileSize = 0;  // the whole file's size (larger than bytesRead when the file is longer)
    std::string error;         // the reason, when !ok
};

// Reads the first rom.size() bytes of the file into the document (a load, not an edit step). A shorter
// file fills the rest of the buffer with zeros; a longer one is read only up to the buffer size.
RomRead readRomImage(const std::string& path, RomDocument& rom);

// The one status line for an image whose size is not the ROM size of the engine definition, naming
// both sizes; empty when they agree. `fileName` is the image's name as the user knows it.
std::string romSizeMismatchLine(const std::string& fileName, const RomRead& read, std::size_t romSize);

// Writes exactly rom.size() bytes through a temporary file that is renamed over the target, so a
// failed save leaves the old file intact. False with `error` set on failure.
bool writeRomImage(const std::string& path, const RomBuffer& rom, std::string& error);

} // namespace vantrell
