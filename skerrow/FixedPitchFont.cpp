#include "FixedPitchFont.h"

#include <QFontDatabase>
#include <QFontMetricsF>

#include <cmath>

namespace skerrow {

namespace {

// A family the database lists twice (two foundries) carries the foundry in brackets: "Name [Foundry]".
bool machineHasFamily(const QStringList& installed, const QString& family)
{
    const QString withFoundry = family + QStringLiteral(" [");
    for (const QString& name : installed)
        if (name.compare(family, Qt::CaseInsensitive) == 0 ||
            name.startsWith(withFoundry, Qt::CaseInsensitive))
            return true;
    return false;
}

} // namespace

QStringList fixedPitchFamilies()
{
    return {QStringLiteral("Lucida Console"),  QStringLiteral("DejaVu Sans Mono"),
            QStringLiteral("Liberation Mono"), QStringLiteral("Noto Sans Mono"),
            QStringLiteral("Consolas"),        QStringLiteral("Menlo"),
            QStringLiteral("Courier New")};
}

bool hasOneGlyphWidth(const QFont& font)
{
    const QFontMetricsF metrics(font);
    const qreal width = metrics.horizontalAdvance(QLatin1Char('W'));
    if (width <= 0)
        return false;
    for (const QChar c :
         {QLatin1Char('i'), QLatin1Char('0'), QLatin1Char('.'), QLatin1Char('$'), QLatin1Char(' ')})
        if (std::abs(metrics.horizontalAdvance(c) - width) > width / 1000)
            return false;
    return true;
}

QFont fixedPitchFont(int pointSize, const QStringList& candidates)
{
    const QStringList installed = QFontDatabase::families();
    for (const QString& family : candidates) {
        if (!machineHasFamily(installed, family))
            continue;
        QFont font(family);
        if (pointSize > 0)
            font.setPointSize(pointSize);
        if (hasOneGlyphWidth(font))
            return font;
    }
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (pointSize > 0)
        font.setPointSize(pointSize);
    return font;
}

} // namespace skerrow
