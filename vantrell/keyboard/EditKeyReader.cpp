#include "vantrell/keyboard/EditKeyReader.h"

#include <QGuiApplication>
#include <QKeyEvent>

namespace vantrell {

namespace {

constexpr quint32 kVirtualKeyPlus = 0xBB;  // the "+" key of the main keyboard, in every layout
constexpr quint32 kVirtualKeyMinus = 0xBD; // the "-" key

// XKB keycodes (Linux input code + 8) of the digit row, 1 to 0.
constexpr quint32 kFirstDigitKeycode = 10;
constexpr quint32 kLastDigitKeycode = 19;

bool shiftAlone(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & ~Qt::KeypadModifier) == Qt::ShiftModifier;
}

bool xkbScanCodes()
{
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("xcb") || platform.startsWith(QLatin1String("wayland"));
}

// The character the event typed, when it typed one with Shift or nothing held: what a map can be
// checked against. 0 otherwise (Ctrl, Alt or AltGr held, a dead key, a control character).
char32_t typedCharacter(const QKeyEvent& event)
{
    if (event.modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier))
        return 0;
    const QList<uint> text = event.text().toUcs4();
    if (text.size() != 1 || !QChar::isPrint(text.front()))
        return 0;
    return static_cast<char32_t>(QChar::toLower(text.front()));
}

// The physical key: its scan code where the platform gives one, else its Qt key.
quint64 physicalKey(const QKeyEvent& event)
{
    if (const quint32 scanCode = event.nativeScanCode())
        return (quint64{1} << 32) | scanCode;
    return static_cast<quint32>(event.key());
}

EditKeyRole roleByCharacter(const QKeyEvent& event)
{
    switch (event.key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        return EditKeyRole::Plus;
    case Qt::Key_Minus:
    case Qt::Key_Underscore:
        return EditKeyRole::Minus;
    default:
        return EditKeyRole::None;
    }
}

} // namespace

EditKeyReader::EditKeyReader() = default;
EditKeyReader::~EditKeyReader() = default;

void EditKeyReader::useKeyboardMap(std::unique_ptr<KeyboardMap> map)
{
    map_ = std::move(map);
    source_ = map_ ? Source::Given : Source::None;
}

void EditKeyReader::load()
{
    source_ = Source::None;
    const QString platform = QGuiApplication::platformName();
#if QT_CONFIG(xcb)
    if (platform == QLatin1String("xcb")) {
        if (auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>())
            map_ = KeyboardMap::fromX11(x11->connection());
        if (map_)
            source_ = Source::X11;
        return;
    }
#endif
    if (platform.startsWith(QLatin1String("wayland"))) {
        map_ = KeyboardMap::fromSystemSettings();
        if (map_)
            source_ = Source::SystemGuess;
    }
}

std::optional<KeySymbols> EditKeyReader::symbolsFromMap(const QKeyEvent& event)
{
    const quint32 keycode = event.nativeScanCode();
    if (keycode == 0 || !map_)
        return std::nullopt;
    // X11 carries the layout (group) the key was typed in, in bits 13 and 14 of the event state.
    const int preferred = source_ == Source::X11 ? static_cast<int>((event.nativeModifiers() >> 13) & 3) : 0;
    const char32_t typed = typedCharacter(event);
    const bool shifted = event.modifiers() & Qt::ShiftModifier;

    for (int attempt = 0; attempt < 2; ++attempt) {
        const int layouts = map_->layoutCount();
        if (typed == 0) {
            // Nothing to check the map against: trust it only where it is the platform's own.
            if (source_ == Source::SystemGuess)
                return std::nullopt;
            const auto key = map_->key(keycode, preferred < layouts ? preferred : 0);
            if (!key || key->keypad)
                return std::nullopt;
            return key->symbols;
        }
        // The layout the key was typed in is one whose map types the same character.
        for (int i = -1; i < layouts; ++i) {
            const int layout = i < 0 ? preferred : i;
            const auto key = map_->key(keycode, layout);
            if (!key)
                continue;
            const char32_t expected = shifted ? key->symbols.shifted : key->symbols.unshifted;
            if (expected != 0 && static_cast<char32_t>(QChar::toLower(char32_t(expected))) == typed) {
                reloadedSinceMatch_ = false;
                if (key->keypad)
                    return KeySymbols{};
                return key->symbols;
            }
        }
        // The server's map may have changed since it was read (a layout added): read it once more.
        if (source_ != Source::X11 || reloadedSinceMatch_)
            break;
        reloadedSinceMatch_ = true;
        load();
        if (!map_)
            return std::nullopt;
    }
    return std::nullopt;
}

EditKeyPress EditKeyReader::keyDown(const QKeyEvent& event)
{
    const quint64 key = physicalKey(event);
    if (event.isAutoRepeat() && down_.contains(key))
        return down_.value(key);
    const EditKeyPress press = read(event);
    down_.insert(key, press);
    return press;
}

EditKeyPress EditKeyReader::keyUp(const QKeyEvent& event)
{
    const quint64 key = physicalKey(event);
    if (event.isAutoRepeat())
        return down_.contains(key) ? down_.value(key) : read(event);
    return down_.contains(key) ? down_.take(key) : read(event);
}

EditKeyPress EditKeyReader::read(const QKeyEvent& event)
{
    EditKeyPress press;
    press.key = event.key();
    press.modifiers = event.modifiers();
    press.shift = shiftAlone(event.modifiers());
    if (event.modifiers() & Qt::KeypadModifier)
        return press;
#ifdef Q_OS_WIN
    if (const quint32 virtualKey = event.nativeVirtualKey()) {
        if (virtualKey == kVirtualKeyPlus)
            press.role = EditKeyRole::Plus;
        else if (virtualKey == kVirtualKeyMinus)
            press.role = EditKeyRole::Minus;
        return press;
    }
#else
    (void)kVirtualKeyPlus;
    (void)kVirtualKeyMinus;
#endif
    if (source_ == Source::NotLoaded)
        load();
    if (const std::optional<KeySymbols> symbols = symbolsFromMap(event)) {
        press.role = editKeyRole(*symbols);
        return press;
    }
    const quint32 keycode = event.nativeScanCode();
    if (keycode >= kFirstDigitKeycode && keycode <= kLastDigitKeycode && xkbScanCodes())
        return press;
    press.role = roleByCharacter(event);
    return press;
}

} // namespace vantrell
