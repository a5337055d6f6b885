// Finding a window's parts by their object names, and the small text checks that GUI tests share.
#pragma once

#include <QAction>
#include <QObject>
#include <QString>
#include <QWidget>

#include <gtest/gtest.h>

#include <string_view>

namespace testsupport {

// The descendant of `parent` named `name` that is a T. A missing one fails the running test (without
// stopping it) and gives nullptr, so the message names the part that was not there.
template <typename T = QWidget> T* child(const QObject& parent, const char* name)
{
    T* found = parent.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

template <typename T = QWidget> T* child(const QObject* parent, const char* name)
{
    return child<T>(*parent, name);
}

// Triggers the action named `name` under `parent`; a missing action fails the running test and ends it.
inline void trigger(const QObject& parent, const char* name)
{
    auto* action = parent.findChild<QAction*>(QString::fromLatin1(name));
    ASSERT_NE(action, nullptr) << name;
    action->trigger();
}

// True when `text` ends with `tail` (an empty tail ends every text).
inline bool endsWith(std::string_view text, std::string_view tail)
{
    return text.ends_with(tail);
}

} // namespace testsupport
