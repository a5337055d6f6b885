// Which physical key is the plus key and which the minus key, whatever the keyboard layout.
//
// A key is named by the symbols printed on it: the one it types alone (unshifted) and the one it types
// with Shift. The plus key is the key whose unshifted symbol is "+", or "=" where "+" is that same
// key's shifted symbol (US and UK keyboards); the minus key is the key whose unshifted symbol is "-".
// A key that types a digit alone is never an edit key, whatever Shift makes it type: on German and
// Nordic keyboards Shift+0 types "=", and that must not change the running engine.
#pragma once

namespace vantrell {

enum class EditKeyRole { Plus, Minus, None };

struct KeySymbols
{
    char32_t unshifted = 0; // what the key types alone (0: nothing)
    char32_t shifted = 0;   // what it types with Shift (0: nothing)
};

EditKeyRole editKeyRole(const KeySymbols& key);

} // namespace vantrell
