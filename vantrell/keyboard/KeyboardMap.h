// A keyboard map: what each physical key types in each layout the user has. Keys are named by their
// XKB keycode (the Linux input code + 8), which is the native scan code of Qt's key events on X11 and
// Wayland. Built with xkbcommon where the system has it; elsewhere every factory gives nothing and the
// editor falls back to the typed character.
#pragma once

#include "vantrell/keyboard/EditKeyRule.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

struct xkb_context;
struct xkb_keymap;

namespace vantrell {

class KeyboardMap
{
  public:
    struct Key
    {
        KeySymbols symbols;
        bool keypad = false; // a key of the numeric keypad
    };

    ~KeyboardMap();
    KeyboardMap(const KeyboardMap&) = delete;
    KeyboardMap& operator=(const KeyboardMap&) = delete;

    // One layout by its names from the system's keyboard data ("us", "de", "se", "fr"; a variant
    // such as "nodeadkeys" may follow), on a 105-key PC keyboard unless another model is named.
    // Nothing when the data is missing or does not know the layout. Nothing of the environment is read.
    static std::unique_ptr<KeyboardMap> fromNames(const std::string& layout, const std::string& variant = {},
                                                  const std::string& model = "pc105");
    // The layouts the system is set up with: the XKB_DEFAULT_* environment, else the system keyboard
    // settings (/etc/default/keyboard), else a US layout. Only a guess of what the desktop uses: check
    // it against the characters keys really type.
    static std::unique_ptr<KeyboardMap> fromSystemSettings();
    // The X server's current map; `xcbConnection` is the application's xcb_connection_t. Nothing when
    // the server has no keyboard extension.
    static std::unique_ptr<KeyboardMap> fromX11(void* xcbConnection);

    int layoutCount() const;
    // The key with this keycode in layout `layout` (0-based). Nothing for a keycode the map does not
    // have or a layout index out of range.
    std::optional<Key> key(std::uint32_t keycode, int layout) const;

  private:
    struct Compiled;
    explicit KeyboardMap(std::unique_ptr<Compiled> compiled);
    // A context (reading the XKB_DEFAULT_* names or not) and the keymap `make` compiles in it (only
    // where xkbcommon is built in).
    static std::unique_ptr<KeyboardMap> compile(bool environmentNames,
                                                const std::function<xkb_keymap*(xkb_context*)>& make);
    std::unique_ptr<Compiled> compiled_;
};

} // namespace vantrell
