// How well "Find maps" does on the corpus of synthetic ROM images: per image and in total, how many
// planted maps stand at their exact address among the first k candidates (k = the number planted),
// how many candidates straddle two planted maps and rank above either, how many 8x8 candidates from
// code rank above a planted map, whether the kind and the axes of each found map are right, the
// margin (the lowest planted map's score less the best score of anything else listed; the total
// row gives the smallest) and how long the search took.
//
//   skerrow_map_finder_quality [FOLDER [IMAGE]]
//
// With an image name (corpus-07) the candidates of that image are listed too, each marked with
// what was planted there.
// Without a folder the corpus script (scripts/make_finder_corpus.py) writes the images into a
// temporary folder first. Each image is also checked against the C++ corpus generator that the unit
// tests use. Exits 0 when every goal is met, 1 when one is not, 2 when no corpus could be read.
#include "FinderCorpus.h"
#include "MapFinder.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace skerrow;

namespace {

struct ImageReport
{
    std::string name;
    std::int64_t size = 0;
    int planted = 0;
    int withinK = 0;
    int straddles = 0;
    int codeEights = 0;
    int kindsRight = 0;
    int axesRight = 0;
    int foundAnywhere = 0;
    double milliseconds = 0;
    double margin = 0; // lowest planted map's score less the best score of anything else
    bool sameAsGenerator = false;
};

bool readFile(const fs::path& path, std::string& out)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// The truth text after the script's first (comment) line, as the C++ generator gives it.
std::string truthBody(const std::string& text)
{
    const auto newline = text.find('\n');
    return newline == std::string::npos ? std::string() : text.substr(newline + 1);
}

const char* kindName(MapKind kind)
{
    return kind == MapKind::Fuel ? "fuel" : kind == MapKind::Timing ? "timing" : "other";
}

void listCandidates(const std::vector<MapCandidate>& found, const synthetic::CorpusTruth& truth)
{
    for (const MapCandidate& c : found) {
        std::string mark;
        for (const auto& map : truth.maps)
            if (c.address < map.address + 256 && map.address < c.address + c.size * c.size)
                mark += (c.address == map.address && c.size == 16 ? " = planted " : " overlaps planted ") +
                        std::string(map.fuel ? "fuel" : "timing");
        if (c.address >= truth.codeStart && c.address + c.size * c.size <= truth.codeEnd)
            mark += " in code";
        std::printf("  $%04llX %2dx%-2d %6.2f %-6s flagged %3d axes $%04llX/%d $%04llX/%d%s\n",
                    static_cast<unsigned long long>(c.address), c.size, c.size, c.score, kindName(c.kind),
                    c.flaggedCells, static_cast<unsigned long long>(c.rowAxis.address), c.rowAxis.width,
                    static_cast<unsigned long long>(c.columnAxis.address), c.columnAxis.width, mark.c_str());
    }
}

ImageReport judgeImage(const std::string& name, const std::vector<std::uint8_t>& image,
                       const synthetic::CorpusTruth& truth, bool list)
{
    ImageReport report;
    report.name = name;
    report.size = static_cast<std::int64_t>(image.size());
    report.planted = static_cast<int>(truth.maps.size());
    const auto start = std::chrono::steady_clock::now();
    const std::vector<MapCandidate> found = findMaps(image);
    report.milliseconds =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (list)
        listCandidates(found, truth);

    const auto rankOf = [&](std::int64_t address) {
        for (std::size_t i = 0; i < found.size(); ++i)
            if (found[i].size == 16 && found[i].address == address)
                return static_cast<int>(i);
        return static_cast<int>(found.size()) + 1000; // not listed: below everything
    };
    int worstPlantedRank = -1;
    double lowestPlanted = 1e9;
    double bestOther = 0;
    for (const MapCandidate& c : found) {
        const bool planted =
            c.size == 16 && std::any_of(truth.maps.begin(), truth.maps.end(),
                                        [&](const auto& m) { return m.address == c.address; });
        if (planted)
            lowestPlanted = std::min(lowestPlanted, c.score);
        else
            bestOther = std::max(bestOther, c.score);
    }
    report.margin = lowestPlanted - bestOther;
    for (const auto& map : truth.maps) {
        const int rank = rankOf(map.address);
        worstPlantedRank = std::max(worstPlantedRank, rank);
        if (rank < report.planted)
            ++report.withinK;
        if (rank >= static_cast<int>(found.size()))
            continue;
        ++report.foundAnywhere;
        const MapCandidate& c = found[static_cast<std::size_t>(rank)];
        if (c.kind == (map.fuel ? MapKind::Fuel : MapKind::Timing))
            ++report.kindsRight;
        if (c.rowAxis.address == map.rpmAxis && c.columnAxis.address == map.loadAxis)
            ++report.axesRight;
    }
    for (std::size_t i = 0; i < found.size(); ++i) {
        const MapCandidate& c = found[i];
        const std::int64_t end = c.address + static_cast<std::int64_t>(c.size) * c.size;
        std::vector<int> touched;
        for (const auto& map : truth.maps)
            if (c.address < map.address + 256 && map.address < end && c.address != map.address)
                touched.push_back(rankOf(map.address));
        if (touched.size() >= 2 && static_cast<int>(i) < *std::max_element(touched.begin(), touched.end()))
            ++report.straddles;
        const bool inCode = c.address >= truth.codeStart && end <= truth.codeEnd;
        if (c.size == 8 && inCode && static_cast<int>(i) < worstPlantedRank)
            ++report.codeEights;
    }
    return report;
}

} // namespace

int main(int argc, char** argv)
{
    fs::path folder;
    bool madeFolder = false;
    if (argc >= 2) {
        folder = argv[1];
    } else {
        folder = fs::temp_directory_path() /
                 ("skerrow-finder-corpus-" +
                  std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
        const std::string command =
            "python3 \"" TESSAVEL_SOURCE_DIR "/scripts/make_finder_corpus.py\" \"" + folder.string() + "\"";
        if (std::system(command.c_str()) != 0) {
            std::fprintf(stderr, "The corpus script did not run: %s\n", command.c_str());
            return 2;
        }
        madeFolder = true;
    }

    std::vector<fs::path> images;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error))
        if (entry.path().extension() == ".bin")
            images.push_back(entry.path());
    std::sort(images.begin(), images.end());
    if (images.empty()) {
        std::fprintf(stderr, "No corpus images (*.bin with *.truth) in %s\n", folder.string().c_str());
        return 2;
    }

    std::printf("%-10s %6s %3s %8s %9s %9s %6s %5s %7s %8s %s\n", "image", "bytes", "k", "within k",
                "straddles", "code 8x8", "kinds", "axes", "margin", "ms", "generator");
    ImageReport total;
    total.name = "total";
    int unreadable = 0;
    int generatorDiffers = 0;
    double slowest = 0;
    double smallestMargin = 1e9;
    for (const fs::path& path : images) {
        std::string bytes;
        std::string truthText;
        fs::path truthPath = path;
        truthPath.replace_extension(".truth");
        if (!readFile(path, bytes) || !readFile(truthPath, truthText)) {
            std::printf("%-10s cannot be read\n", path.stem().string().c_str());
            ++unreadable;
            continue;
        }
        const synthetic::CorpusTruth truth = synthetic::parseCorpusTruth(truthText);
        if (!truth.ok) {
            std::printf("%-10s truth file cannot be read\n", path.stem().string().c_str());
            ++unreadable;
            continue;
        }
        const std::vector<std::uint8_t> image(bytes.begin(), bytes.end());
        ImageReport r = judgeImage(path.stem().string(), image, truth, argc >= 3 && path.stem() == argv[2]);
        int index = -1;
        std::sscanf(r.name.c_str(), "corpus-%d", &index);
        if (index >= 0) {
            const synthetic::CorpusImage generated = synthetic::corpusImage(index);
            r.sameAsGenerator = generated.bytes == image && generated.truth == truthBody(truthText);
        }
        generatorDiffers += r.sameAsGenerator ? 0 : 1;
        std::printf("%-10s %6lld %3d %5d/%-2d %9d %9d %3d/%-2d %2d/%-2d %7.1f %8.2f %s\n", r.name.c_str(),
                    static_cast<long long>(r.size), r.planted, r.withinK, r.planted, r.straddles,
                    r.codeEights, r.kindsRight, r.foundAnywhere, r.axesRight, r.foundAnywhere, r.margin,
                    r.milliseconds, r.sameAsGenerator ? "same" : "DIFFERS");
        total.planted += r.planted;
        total.withinK += r.withinK;
        total.straddles += r.straddles;
        total.codeEights += r.codeEights;
        total.kindsRight += r.kindsRight;
        total.axesRight += r.axesRight;
        total.foundAnywhere += r.foundAnywhere;
        total.milliseconds += r.milliseconds;
        slowest = std::max(slowest, r.milliseconds);
        smallestMargin = std::min(smallestMargin, r.margin);
    }
    std::printf("%-10s %6s %3d %5d/%-3d %8d %9d %3d/%-3d %2d/%-3d %7.1f %7.2f\n", "total", "", total.planted,
                total.withinK, total.planted, total.straddles, total.codeEights, total.kindsRight,
                total.foundAnywhere, total.axesRight, total.foundAnywhere, smallestMargin,
                total.milliseconds);
    std::printf("slowest image %.2f ms; %d of %zu images as the C++ generator makes them\n", slowest,
                static_cast<int>(images.size()) - generatorDiffers - unreadable, images.size());
    if (madeFolder)
        fs::remove_all(folder, error);

    const bool met =
        unreadable == 0 && total.withinK == total.planted && total.straddles == 0 && total.codeEights == 0;
    std::printf("goals %s\n", met ? "met" : "NOT met");
    return met ? 0 : 1;
}
