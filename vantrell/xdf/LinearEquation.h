// The conversion an XDF gives a value ("X*50", "X-192", "(X+3)/2"), recognised as a straight line
// factor * X + offset when it is one.
#pragma once

#include <QString>

#include <optional>

namespace vantrell::xdf {

struct LinearForm
{
    double factor = 1;
    double offset = 0;
};

// The line an equation in X describes: numbers (decimal, or hexadecimal with "0x"), X (either case),
// + - * / and brackets. An empty equation is X itself. Nothing for an equation that is not a
// straight line in X (X*X, 1/X), uses anything else (functions, other variables) or cannot be read.
std::optional<LinearForm> linearForm(const QString& equation);

} // namespace vantrell::xdf
