#include "FixedPitchFont.h"

#include <QFontDatabase>
#include <QFontInfo>

#include <gtest/gtest.h>

namespace skerrow {
namespace {

// Only the families of fonts-dejavu-core, which the test setup installs, are relied on here.
const QString mono = QStringLiteral("DejaVu Sans Mono");
const QString proportional = QStringLiteral("DejaVu Sans");
const QString absent = QStringLiteral("Skerrow Test No Such Family");

TEST(SkerrowFixedPitchFont, MeasuresGlyphWidthsRatherThanTrustingTheName)
{
    EXPECT_TRUE(hasOneGlyphWidth(QFont(mono, 8)));
    EXPECT_FALSE(hasOneGlyphWidth(QFont(proportional, 8)));
}

TEST(SkerrowFixedPitchFont, TakesTheFirstFamilyThatIsPresentAndHasOneGlyphWidth)
{
    const struct
    {
        const char* what;
        QStringList candidates;
    } cases[] = {
        {"first fits", {mono, proportional}},
        {"missing family skipped", {absent, mono}},
        {"proportional family skipped", {proportional, absent, mono}},
        {"case of the name ignored", {QStringLiteral("dejavu sans mono")}},
    };
    for (const auto& c : cases) {
        const QFont font = fixedPitchFont(8, c.candidates);
        EXPECT_EQ(QFontInfo(font).family(), mono) << c.what;
        EXPECT_EQ(font.pointSize(), 8) << c.what;
        EXPECT_TRUE(hasOneGlyphWidth(font)) << c.what;
    }
}

TEST(SkerrowFixedPitchFont, FallsBackToTheSystemFixedFontWhenNoCandidateFits)
{
    const QFont system = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    for (const QStringList& candidates : {QStringList{}, QStringList{absent, proportional}}) {
        const QFont font = fixedPitchFont(7, candidates);
        EXPECT_EQ(font.family(), system.family()) << candidates.join(u',').toStdString();
        EXPECT_EQ(font.pointSize(), 7);
    }
}

} // namespace
} // namespace skerrow
