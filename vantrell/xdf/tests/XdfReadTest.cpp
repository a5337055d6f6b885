#include "vantrell/xdf/LinearEquation.h"
#include "vantrell/xdf/XdfDocument.h"
#include "vantrell/xdf/XdfImport.h"

#include <QFile>

#include <gtest/gtest.h>

namespace vantrell::xdf {
namespace {

QByteArray withHeader(const char* header, const char* body = "")
{
    return QByteArray("<XDFFORMAT version=\"1.60\"><XDFHEADER>") + header + "</XDFHEADER>" + body +
           "</XDFFORMAT>";
}

TEST(XdfRead, BaseOffsetIsReadFromAttributesTextOrChildElements)
{
    struct Case
    {
        const char* header;
        std::int64_t offset;
        bool subtract;
    } cases[] = {
        {"<BASEOFFSET offset=\"0x8000\" subtract=\"1\" />", 0x8000, true},
        {"<BASEOFFSET offset=\"4096\" subtract=\"0\" />", 4096, false},
        {"<BASEOFFSET subtract=\"1\">0x8000</BASEOFFSET>", 0x8000, true},
        {"<baseoffset> 0x200 </baseoffset>", 0x200, false},
        {"<BASEOFFSET><offset>0x4000</offset><subtract>1</subtract></BASEOFFSET>", 0x4000, true},
        {"", 0, false},
    };
    for (const Case& c : cases) {
        const XdfRead r = readXdf(withHeader(c.header));
        ASSERT_TRUE(r.ok) << c.header << r.error.toStdString();
        EXPECT_EQ(r.document.baseOffset, c.offset) << c.header;
        EXPECT_EQ(r.document.baseSubtract, c.subtract) << c.header;
    }
    XdfDocument d;
    d.baseOffset = 0x8000;
    d.baseSubtract = true;
    EXPECT_EQ(d.fileAddress(0xF000), 0x7000);
    d.baseSubtract = false;
    EXPECT_EQ(d.fileAddress(0x100), 0x8100);
}

TEST(XdfRead, TablesKeepAxesDataLinksAndCategoriesCountedFromOne)
{
    const XdfRead r =
        readXdf(withHeader("<CATEGORY index=\"0x0\" name=\"Fuel\"/><CATEGORY index=\"0x1\" name=\"Spark\"/>",
                           R"(<XDFTABLE uniqueid="0x2A"><title> Main map </title>
          <CATEGORYMEM index="0" category="2"/>
          <XDFAXIS id="x"><EMBEDDEDDATA mmedaddress="0x5000"/><embedinfo type="3" linkobjid="0x99"/>
            <indexcount>16</indexcount></XDFAXIS>
          <XDFAXIS id="y"><LABEL index="0" value="800"/><LABEL index="1" value="1600"/><units>RPM</units></XDFAXIS>
          <XDFAXIS id="Z"><EMBEDDEDDATA mmedaddress="0x7000" mmedelementsizebits="16" mmedrowcount="16"
            mmedcolcount="8" mmedtypeflags="0x07"/><MATH equation="X*0.5"><VAR id="X"/></MATH></XDFAXIS>
        </XDFTABLE>
        <XDFCONSTANT uniqueid="0x3"><title>K</title><EMBEDDEDDATA mmedaddress="1234" mmedelementsizebits="16"/>
        </XDFCONSTANT>)"));
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    ASSERT_EQ(r.document.tables.size(), 1u);
    const XdfTable& t = r.document.tables[0];
    EXPECT_EQ(t.uniqueId, 0x2Au);
    EXPECT_EQ(t.title, QStringLiteral("Main map"));
    EXPECT_EQ(t.categories, QStringList{QStringLiteral("Spark")});
    EXPECT_EQ(t.x.embedType, 3);
    EXPECT_EQ(t.x.linkId, 0x99u);
    EXPECT_EQ(t.y.labels.size(), 2);
    EXPECT_FALSE(t.y.data.hasAddress);
    EXPECT_EQ(t.y.units, QStringLiteral("RPM"));
    EXPECT_TRUE(t.z.present);
    EXPECT_EQ(t.z.data.address, 0x7000);
    EXPECT_EQ(t.z.data.elementBits, 16);
    EXPECT_EQ(t.z.data.rows, 16);
    EXPECT_EQ(t.z.data.columns, 8);
    EXPECT_TRUE(t.z.data.isSigned() && t.z.data.lsbFirst() && t.z.data.columnMajor());
    EXPECT_EQ(t.z.equation, QStringLiteral("X*0.5"));
    ASSERT_EQ(r.document.constants.size(), 1u);
    EXPECT_EQ(r.document.constants[0].data.address, 1234);
    EXPECT_EQ(r.document.tableWithId(0x2A), &t);
    EXPECT_EQ(r.document.tableWithId(0x99), nullptr);
}

TEST(XdfRead, AnUndeclaredWindowsEncodingIsReadAsLatin1AndADeclaredOneAsDeclared)
{
    const QByteArray body = "<XDFFORMAT><XDFHEADER><deftitle>Turbo \xB0"
                            "C</deftitle></XDFHEADER></XDFFORMAT>";
    const XdfRead plain = readXdf(body);
    ASSERT_TRUE(plain.ok) << plain.error.toStdString();
    EXPECT_EQ(plain.document.title, QStringLiteral("Turbo \u00B0C"));
    const XdfRead declared = readXdf("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>" + body);
    ASSERT_TRUE(declared.ok) << declared.error.toStdString();
    EXPECT_EQ(declared.document.title, QStringLiteral("Turbo \u00B0C"));
    const XdfRead utf8 = readXdf("<XDFFORMAT><XDFHEADER><deftitle>Turbo \xC2\xB0"
                                 "C</deftitle></XDFHEADER></XDFFORMAT>");
    EXPECT_EQ(utf8.document.title, QStringLiteral("Turbo \u00B0C"));
}

TEST(XdfRead, BrokenOrForeignFilesAreRefusedWithTheReason)
{
    const XdfRead broken = readXdf("<XDFFORMAT>\n<XDFTABLE><title>x</XDFTABLE>");
    EXPECT_FALSE(broken.ok);
    EXPECT_TRUE(broken.error.contains(QStringLiteral("line 2"))) << broken.error.toStdString();
    const XdfRead foreign = readXdf("<html><body/></html>");
    EXPECT_FALSE(foreign.ok);
    EXPECT_TRUE(foreign.error.contains(QStringLiteral("<html>"))) << foreign.error.toStdString();
    EXPECT_FALSE(readXdf("").ok);
    EXPECT_FALSE(readXdfFile(QStringLiteral("/nonexistent/file.xdf")).ok);
}

TEST(XdfRead, EveryCutOfAFileIsReadOrRefusedAndImportsWithoutFault)
{
    QFile file(QStringLiteral(TESSAVEL_SOURCE_DIR "/vantrell/xdf/tests/data/linked_axes.xdf"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray whole = file.readAll();
    const QByteArray image(32768, '\x11');
    int refused = 0;
    for (qsizetype cut = 0; cut < whole.size(); cut += 97) {
        const XdfRead r = readXdf(whole.left(cut));
        refused += r.ok ? 0 : 1;
        EXPECT_TRUE(r.ok || !r.error.isEmpty()) << cut;
        // Half-read tables (a link to a table not yet read, an axis without data) import without fault.
        const ImportResult imported = importXdf(r.document, image, std::nullopt, QStringLiteral("x.bin"));
        EXPECT_EQ(imported.keys.size(), 38u);
    }
    EXPECT_GT(refused, 0);
    const XdfRead r = readXdf(whole);
    EXPECT_TRUE(importXdf(r.document, image, std::nullopt, QStringLiteral("x.bin")).problems().isEmpty());
}

TEST(LinearEquation, StraightLinesAreRecognisedAndCurvesRefused)
{
    struct Case
    {
        const char* equation;
        bool linear;
        double factor, offset;
    } cases[] = {
        {"X", true, 1, 0},           {"", true, 1, 0},        {"X*50", true, 50, 0},
        {"X-192", true, 1, -192},    {"X/2+3", true, 0.5, 3}, {"(X+3)/2", true, 0.5, 1.5},
        {"-x + 10", true, -1, 10},   {"0x10*X", true, 16, 0}, {"2.5e1*X", true, 25, 0},
        {"12.5 * X", true, 12.5, 0}, {"X*X/4", false, 0, 0},  {"1/X", false, 0, 0},
        {"X/0", false, 0, 0},        {"log(X)", false, 0, 0}, {"X*Y", false, 0, 0},
        {"X*50+", false, 0, 0},      {"(X", false, 0, 0},     {"exp", false, 0, 0},
    };
    for (const Case& c : cases) {
        const auto form = linearForm(QString::fromLatin1(c.equation));
        ASSERT_EQ(form.has_value(), c.linear) << c.equation;
        if (form) {
            EXPECT_DOUBLE_EQ(form->factor, c.factor) << c.equation;
            EXPECT_DOUBLE_EQ(form->offset, c.offset) << c.equation;
        }
    }
    // Deep nesting is refused, not recursed into until the stack ends.
    EXPECT_FALSE(linearForm(QString(100000, QLatin1Char('('))).has_value());
    EXPECT_FALSE(linearForm(QString(100000, QLatin1Char('-')) + QStringLiteral("X")).has_value());
}

} // namespace
} // namespace vantrell::xdf
