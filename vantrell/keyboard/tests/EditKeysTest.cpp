#include "vantrell/keyboard/EditKeyReader.h"

#include <QKeyEvent>

#include <gtest/gtest.h>

namespace vantrell {
namespace {

TEST(EditKeyRule, NamesThePlusAndMinusKeysByWhatIsPrintedOnThem)
{
    const struct
    {
        char32_t unshifted, shifted;
        EditKeyRole role;
    } cases[] = {
        {U'+', U'*', EditKeyRole::Plus},  {U'+', U'?', EditKeyRole::Plus},  {U'=', U'+', EditKeyRole::Plus},
        {U'-', U'_', EditKeyRole::Minus}, {U'-', U'6', EditKeyRole::Minus}, {0x2212, 0, EditKeyRole::Minus},
        {U'0', U'=', EditKeyRole::None},  {U'=', U'%', EditKeyRole::None},  {U'*', U'+', EditKeyRole::None},
        {0, 0, EditKeyRole::None},
    };
    for (const auto& c : cases)
        EXPECT_EQ(editKeyRole({c.unshifted, c.shifted}), c.role) << int(c.unshifted) << " " << int(c.shifted);
}

// A key as a keyboard of that layout sends it: the XKB keycode, Shift or not, and what it types.
struct LayoutKey
{
    const char* layout;
    quint32 keycode;
    bool shift;
    Qt::Key qtKey;
    const char* text;
    EditKeyRole role;
};

EditKeyPress readRelease(EditKeyReader& reader, const LayoutKey& k)
{
    const Qt::KeyboardModifiers mods = k.shift ? Qt::ShiftModifier : Qt::NoModifier;
    const bool keypad = k.keycode == 86 || k.keycode == 82;
    const QKeyEvent event(QEvent::KeyRelease, k.qtKey, keypad ? mods | Qt::KeypadModifier : mods, k.keycode,
                          0, k.shift ? 1 : 0, QString::fromUtf8(k.text));
    return reader.read(event);
}

TEST(EditKeyReader, FindsThePlusAndMinusKeysOfTheUsGermanSwedishAndFrenchLayouts)
{
    const LayoutKey keys[] = {
        // US: "=" key (Shift "+"), "-" key; Shift+0 is ")".
        {"us", 21, false, Qt::Key_Equal, "=", EditKeyRole::Plus},
        {"us", 21, true, Qt::Key_Plus, "+", EditKeyRole::Plus},
        {"us", 20, true, Qt::Key_Underscore, "_", EditKeyRole::Minus},
        {"us", 19, true, Qt::Key_ParenRight, ")", EditKeyRole::None},
        {"us", 86, false, Qt::Key_Plus, "+", EditKeyRole::None},
        // German: "+" key (Shift "*"), "-" key beside the right Shift; Shift+0 types "=".
        {"de", 35, false, Qt::Key_Plus, "+", EditKeyRole::Plus},
        {"de", 35, true, Qt::Key_Asterisk, "*", EditKeyRole::Plus},
        {"de", 61, true, Qt::Key_Underscore, "_", EditKeyRole::Minus},
        {"de", 19, true, Qt::Key_Equal, "=", EditKeyRole::None},
        {"de", 20, true, Qt::Key_Question, "?", EditKeyRole::None},
        {"de", 82, false, Qt::Key_Minus, "-", EditKeyRole::None},
        // Swedish: "+" right of 0 (Shift "?"), "-" beside the right Shift; Shift+0 types "=".
        {"se", 20, true, Qt::Key_Question, "?", EditKeyRole::Plus},
        {"se", 61, false, Qt::Key_Minus, "-", EditKeyRole::Minus},
        {"se", 19, true, Qt::Key_Equal, "=", EditKeyRole::None},
        // French: "=" key (Shift "+"), "-" alone on the 6 key; Shift on the 0 key types "0".
        {"fr", 21, true, Qt::Key_Plus, "+", EditKeyRole::Plus},
        {"fr", 15, false, Qt::Key_Minus, "-", EditKeyRole::Minus},
        {"fr", 15, true, Qt::Key_6, "6", EditKeyRole::Minus},
        {"fr", 19, true, Qt::Key_0, "0", EditKeyRole::None},
    };
    for (const LayoutKey& k : keys) {
        EditKeyReader reader;
        std::unique_ptr<KeyboardMap> map = KeyboardMap::fromNames(k.layout);
        ASSERT_TRUE(map) << "keyboard data for layout " << k.layout;
        reader.useKeyboardMap(std::move(map));
        const EditKeyPress press = readRelease(reader, k);
        EXPECT_EQ(press.role, k.role) << k.layout << " keycode " << k.keycode << " shift " << k.shift;
        EXPECT_EQ(press.shift, k.shift) << k.layout << " keycode " << k.keycode;
    }
}

TEST(EditKeyReader, WithoutAScanCodeReadsTheTypedCharacterAndNeverTheKeypad)
{
    EditKeyReader reader;
    const struct
    {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        EditKeyRole role;
        bool shift;
    } cases[] = {
        {Qt::Key_Equal, Qt::NoModifier, EditKeyRole::Plus, false},
        {Qt::Key_Plus, Qt::ShiftModifier, EditKeyRole::Plus, true},
        {Qt::Key_Underscore, Qt::ShiftModifier, EditKeyRole::Minus, true},
        {Qt::Key_Plus, Qt::ShiftModifier | Qt::ControlModifier, EditKeyRole::Plus, false},
        {Qt::Key_Plus, Qt::KeypadModifier, EditKeyRole::None, false},
        {Qt::Key_Asterisk, Qt::ShiftModifier, EditKeyRole::None, true},
    };
    for (const auto& c : cases) {
        const QKeyEvent event(QEvent::KeyRelease, c.key, c.mods);
        const EditKeyPress press = reader.read(event);
        EXPECT_EQ(press.role, c.role) << c.key;
        EXPECT_EQ(press.shift, c.shift) << c.key;
    }
}

} // namespace
} // namespace vantrell
