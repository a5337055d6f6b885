// What a key event means to the editing keys of the map grid and the limit cells: the plus key, the
// minus key, or another key, and whether Shift alone was held (the big step).
//
// The keys are found by what is printed on them in the user's layout (see EditKeyRule.h), not by the
// character a key event carries: on a German keyboard Shift+0 types "=" and Shift on the "+" key
// types "*". How the printed symbols are found depends on the platform:
// - Windows: the virtual keys of the "+" and "-" keys name them in every layout;
// - X11: the key's scan code through the X server's keyboard map, in the layout the event was typed in;
// - Wayland: the scan code through the system's keyboard settings, used only where they agree with
//   what the key really typed;
// - anywhere else, and for events without a scan code: the typed character, but a key of the digit
//   row (where the platform's scan codes tell) is never an edit key.
// The keypad's + and - are other keys everywhere.
#pragma once

#include "vantrell/keyboard/EditKeyRule.h"
#include "vantrell/keyboard/KeyboardMap.h"

#include <QHash>
#include <Qt>

#include <memory>

class QKeyEvent;

namespace vantrell {

struct EditKeyPress
{
    EditKeyRole role = EditKeyRole::None;
    bool shift = false; // Shift held, and no other modifier
    // The event the reading was taken from: its Qt key and modifiers.
    int key = 0;
    Qt::KeyboardModifiers modifiers;
};

class EditKeyReader
{
  public:
    EditKeyReader();
    ~EditKeyReader();
    EditKeyReader(const EditKeyReader&) = delete;
    EditKeyReader& operator=(const EditKeyReader&) = delete;

    // Reads keys through this map from now on, trusting it as the platform's own (tests).
    void useKeyboardMap(std::unique_ptr<KeyboardMap> map);

    EditKeyPress read(const QKeyEvent& event);

    // The editing keys act when they are released, but mean what they meant when they went down: a
    // tuner who lets go of Shift a moment before the "+" key still gets the big step. keyDown() reads
    // and remembers a press (auto-repeats add nothing); keyUp() gives the reading of that key's press
    // and forgets it, or reads the release itself when its press was not seen.
    EditKeyPress keyDown(const QKeyEvent& event);
    EditKeyPress keyUp(const QKeyEvent& event);

  private:
    enum class Source { NotLoaded, None, X11, SystemGuess, Given };
    void load();
    std::optional<KeySymbols> symbolsFromMap(const QKeyEvent& event);

    Source source_ = Source::NotLoaded;
    std::unique_ptr<KeyboardMap> map_;
    bool reloadedSinceMatch_ = false;
    QHash<quint64, EditKeyPress> down_; // keys held, by physical key
};

} // namespace vantrell
