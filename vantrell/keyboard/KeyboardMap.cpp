#include "vantrell/keyboard/KeyboardMap.h"

#ifdef TESSAVEL_HAVE_XKB
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>
#endif

#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>

namespace vantrell {

#ifdef TESSAVEL_HAVE_XKB

struct KeyboardMap::Compiled
{
    xkb_context* context = nullptr;
    xkb_keymap* keymap = nullptr;
    ~Compiled()
    {
        xkb_keymap_unref(keymap);
        xkb_context_unref(context);
    }
};

namespace {

bool isKeypadSym(xkb_keysym_t sym)
{
    return sym >= XKB_KEY_KP_Space && sym <= XKB_KEY_KP_Equal;
}

// KEY=value lines of a shell-style settings file, quotes taken off.
std::map<std::string, std::string> readSettingsFile(const char* path)
{
    std::map<std::string, std::string> values;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        const auto eq = line.find('=');
        if (line.empty() || line[0] == '#' || eq == std::string::npos)
            continue;
        std::string value = line.substr(eq + 1);
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        values[line.substr(0, eq)] = value;
    }
    return values;
}

} // namespace

KeyboardMap::KeyboardMap(std::unique_ptr<Compiled> compiled) : compiled_(std::move(compiled)) {}
KeyboardMap::~KeyboardMap() = default;

std::unique_ptr<KeyboardMap> KeyboardMap::compile(bool environmentNames,
                                                  const std::function<xkb_keymap*(xkb_context*)>& make)
{
    auto compiled = std::make_unique<Compiled>();
    compiled->context =
        xkb_context_new(environmentNames ? XKB_CONTEXT_NO_FLAGS : XKB_CONTEXT_NO_ENVIRONMENT_NAMES);
    if (!compiled->context)
        return nullptr;
    xkb_context_set_log_level(compiled->context, XKB_LOG_LEVEL_CRITICAL);
    compiled->keymap = make(compiled->context);
    if (!compiled->keymap)
        return nullptr;
    return std::unique_ptr<KeyboardMap>(new KeyboardMap(std::move(compiled)));
}

std::unique_ptr<KeyboardMap> KeyboardMap::fromNames(const std::string& layout, const std::string& variant,
                                                    const std::string& model)
{
    return compile(false, [&](xkb_context* context) {
        const xkb_rule_names names{"evdev", model.c_str(), layout.c_str(), variant.c_str(), ""};
        return xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
    });
}

std::unique_ptr<KeyboardMap> KeyboardMap::fromSystemSettings()
{
    const char* envLayout = std::getenv("XKB_DEFAULT_LAYOUT");
    if (envLayout && *envLayout) {
        // xkbcommon reads the XKB_DEFAULT_* variables itself.
        return compile(true, [](xkb_context* context) {
            return xkb_keymap_new_from_names(context, nullptr, XKB_KEYMAP_COMPILE_NO_FLAGS);
        });
    }
    std::map<std::string, std::string> system = readSettingsFile("/etc/default/keyboard");
    return fromNames(system.count("XKBLAYOUT") ? system["XKBLAYOUT"] : "us", system["XKBVARIANT"],
                     system.count("XKBMODEL") ? system["XKBMODEL"] : "pc105");
}

std::unique_ptr<KeyboardMap> KeyboardMap::fromX11(void* xcbConnection)
{
    auto* connection = static_cast<xcb_connection_t*>(xcbConnection);
    if (!connection)
        return nullptr;
    if (!xkb_x11_setup_xkb_extension(connection, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
                                     XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, nullptr,
                                     nullptr))
        return nullptr;
    const std::int32_t device = xkb_x11_get_core_keyboard_device_id(connection);
    if (device < 0)
        return nullptr;
    return compile(false, [&](xkb_context* context) {
        return xkb_x11_keymap_new_from_device(context, connection, device, XKB_KEYMAP_COMPILE_NO_FLAGS);
    });
}

int KeyboardMap::layoutCount() const
{
    return static_cast<int>(xkb_keymap_num_layouts(compiled_->keymap));
}

std::optional<KeyboardMap::Key> KeyboardMap::key(std::uint32_t keycode, int layout) const
{
    xkb_keymap* keymap = compiled_->keymap;
    if (layout < 0 || layout >= layoutCount() || keycode < xkb_keymap_min_keycode(keymap) ||
        keycode > xkb_keymap_max_keycode(keymap))
        return std::nullopt;
    xkb_state* state = xkb_state_new(keymap);
    if (!state)
        return std::nullopt;
    const auto group = static_cast<xkb_layout_index_t>(layout);
    Key result;
    xkb_state_update_mask(state, 0, 0, 0, 0, 0, group);
    result.symbols.unshifted = xkb_state_key_get_utf32(state, keycode);
    result.keypad = isKeypadSym(xkb_state_key_get_one_sym(state, keycode));
    const xkb_mod_index_t shift = xkb_keymap_mod_get_index(keymap, XKB_MOD_NAME_SHIFT);
    if (shift != XKB_MOD_INVALID) {
        xkb_state_update_mask(state, xkb_mod_mask_t{1} << shift, 0, 0, 0, 0, group);
        result.symbols.shifted = xkb_state_key_get_utf32(state, keycode);
    }
    xkb_state_unref(state);
    return result;
}

#else // no xkbcommon on this platform

struct KeyboardMap::Compiled
{
};

KeyboardMap::KeyboardMap(std::unique_ptr<Compiled> compiled) : compiled_(std::move(compiled)) {}
KeyboardMap::~KeyboardMap() = default;

std::unique_ptr<KeyboardMap> KeyboardMap::fromNames(const std::string&, const std::string&,
                                                    const std::string&)
{
    return nullptr;
}

std::unique_ptr<KeyboardMap> KeyboardMap::fromSystemSettings()
{
    return nullptr;
}

std::unique_ptr<KeyboardMap> KeyboardMap::fromX11(void*)
{
    return nullptr;
}

int KeyboardMap::layoutCount() const
{
    return 0;
}

std::optional<KeyboardMap::Key> KeyboardMap::key(std::uint32_t, int) const
{
    return std::nullopt;
}

#endif

} // namespace vantrell
