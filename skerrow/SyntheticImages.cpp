#include "SyntheticImages.h"

#include <algorithm>
#include <array>
#include <random>

namespace skerrow::synthetic {

namespace {

// The engine's raw output is fixed by the standard; the distributions are not, so none is used.
std::uint32_t below(std::mt19937& engine, std::uint32_t bound)
{
    return engine() % bound;
}

std::uint8_t clampByte(int v)
{
    return static_cast<std::uint8_t>(std::clamp(v, 0, 255));
}

} // namespace

std::vector<std::uint8_t> randomBytes(std::size_t count, std::uint32_t seed)
{
    std::mt19937 engine(seed);
    std::vector<std::uint8_t> bytes(count);
    for (auto& b : bytes)
        b = static_cast<std::uint8_t>(below(engine, 256));
    return bytes;
}

std::vector<std::uint8_t> codeLikeBytes(std::size_t count, std::uint32_t seed)
{
    static constexpr std::array<std::uint8_t, 24> kOpcodes = {0x86, 0xC6, 0x97, 0xD7, 0xB6, 0xF6, 0xBD, 0x7E,
                                                              0x26, 0x27, 0x20, 0x39, 0x3B, 0x4F, 0x5F, 0x84,
                                                              0x8A, 0xCE, 0xDE, 0xEE, 0x08, 0x09, 0x18, 0xA6};
    std::mt19937 engine(seed);
    std::vector<std::uint8_t> bytes;
    bytes.reserve(count + 3);
    while (bytes.size() < count) {
        bytes.push_back(kOpcodes[below(engine, kOpcodes.size())]);
        switch (below(engine, 3)) {
        case 1:
            bytes.push_back(static_cast<std::uint8_t>(below(engine, 256)));
            break;
        case 2:
            bytes.push_back(static_cast<std::uint8_t>(0x80 + below(engine, 0x40)));
            bytes.push_back(static_cast<std::uint8_t>(below(engine, 256)));
            break;
        default:
            break;
        }
    }
    bytes.resize(count);
    return bytes;
}

void plantFuelMap(std::vector<std::uint8_t>& image, std::size_t address, int n, std::uint32_t seed)
{
    std::mt19937 engine(seed);
    const int stepC = 112 / (n - 1);
    const int stepR = 75 / (n - 1);
    for (int r = 0; r < n; ++r)
        for (int c = 0; c < n; ++c)
            image[address + static_cast<std::size_t>(r * n + c)] =
                clampByte(20 + stepC * c + stepR * r + (r * c) / 6 + static_cast<int>(below(engine, 3)));
}

void plantTimingMap(std::vector<std::uint8_t>& image, std::size_t address, int n, std::uint32_t seed)
{
    std::mt19937 engine(seed);
    for (int r = 0; r < n; ++r)
        for (int c = 0; c < n; ++c)
            image[address + static_cast<std::size_t>(r * n + c)] =
                clampByte(8 + (3 * c) / 2 + r + static_cast<int>(below(engine, 2)));
}

void plantAxis(std::vector<std::uint8_t>& image, std::size_t address, int n)
{
    for (int i = 0; i < n; ++i)
        image[address + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(8 + i * (120 / n));
}

std::vector<std::uint8_t> plantedImage()
{
    std::vector<std::uint8_t> image = codeLikeBytes(0x8000, 7);
    const auto tail = randomBytes(0x8000, 11);
    image.insert(image.end(), tail.begin(), tail.end());
    std::fill(image.begin() + 0x3000, image.begin() + 0x3400, std::uint8_t{0xFF});
    plantAxis(image, 0x1225, 16);
    plantFuelMap(image, 0x1235, 16, 3);
    plantTimingMap(image, 0x6A13, 16, 5);
    plantFuelMap(image, 0x9777, 8, 9);
    plantAxis(image, 0x9777 + 64, 8);
    return image;
}

} // namespace skerrow::synthetic
