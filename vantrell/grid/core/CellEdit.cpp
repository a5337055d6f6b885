#include "vantrell/grid/core/CellEdit.h"

namespace vantrell {

std::uint8_t editedCell(MapKind kind, std::uint8_t b, EditKey key, bool shift)
{
    int v = b;
    const bool flag = (b & 0x80) != 0;
    switch (key) {
    case EditKey::Plus:
        v += shift ? 16 : 1;
        break;
    case EditKey::Minus:
        v -= shift ? 16 : 1;
        break;
    case EditKey::Flag:
        if (kind == MapKind::Fuel) {
            if (flag) {
                v -= 192;
                if (v < 0)
                    v = 0;
            } else {
                v += 192;
            }
        } else {
            v = flag ? v - 128 : v + 128;
        }
        break;
    case EditKey::Other:
        break;
    }
    if (v > 255)
        v = 255;
    if (v < 0)
        v += kind == MapKind::Fuel ? 192 : 128;
    return static_cast<std::uint8_t>(v);
}

} // namespace vantrell
