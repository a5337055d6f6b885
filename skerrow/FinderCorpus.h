// The map finder's corpus of synthetic ROM images, built the same way, byte for byte, as
// scripts/make_finder_corpus.py writes it: the unit tests take their images from here without
// Python, and the quality benchmark checks the script's files against these.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace skerrow::synthetic {

// How many images the script writes by default.
constexpr int kCorpusImageCount = 42;

// Images from this one on are packed as real units pack them: axes right before their maps, and a
// map followed by two rows that carry it on (a window shifted into it by whole rows competes).
constexpr int kLooseImageCount = 30;

// One corpus image and its truth file's text (the lines that follow the script's comment line).
struct CorpusImage
{
    std::vector<std::uint8_t> bytes;
    std::string truth;
};

CorpusImage corpusImage(int index);

// What a truth file says was planted.
struct PlantedMap
{
    std::int64_t address = 0;
    bool fuel = false; // else a timing map
    std::int64_t rpmAxis = 0;
    std::int64_t loadAxis = 0;
};

struct PlantedAxis
{
    std::int64_t address = 0;
    int bits = 8; // 8 or 16 a value
};

struct CorpusTruth
{
    std::int64_t size = 0;
    std::int64_t codeStart = 0; // the code stream, [start, end)
    std::int64_t codeEnd = 0;
    std::vector<PlantedMap> maps;
    std::vector<PlantedAxis> axes;
    bool ok = false; // false when a line could not be read
};

// Reads a truth file's text ("#" lines are comments; unknown keywords are passed over).
CorpusTruth parseCorpusTruth(const std::string& text);

} // namespace skerrow::synthetic
