#include "vantrell/keyboard/EditKeyRule.h"

namespace vantrell {

namespace {

constexpr char32_t kMinusSign = 0x2212; // some layouts print the typographic minus on the key

} // namespace

EditKeyRole editKeyRole(const KeySymbols& key)
{
    if (key.unshifted == U'+' || (key.unshifted == U'=' && key.shifted == U'+'))
        return EditKeyRole::Plus;
    if (key.unshifted == U'-' || key.unshifted == kMinusSign)
        return EditKeyRole::Minus;
    return EditKeyRole::None;
}

} // namespace vantrell
