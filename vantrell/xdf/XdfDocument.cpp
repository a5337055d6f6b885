#include "vantrell/xdf/XdfDocument.h"

#include <QFile>
#include <QStringDecoder>
#include <QXmlStreamReader>

#include <map>

namespace vantrell::xdf {

namespace {

bool named(const QXmlStreamReader& xml, const char* name)
{
    return xml.name().compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}

QString attribute(const QXmlStreamReader& xml, const char* name)
{
    for (const QXmlStreamAttribute& a : xml.attributes())
        if (a.name().compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return a.value().toString();
    return {};
}

std::optional<std::int64_t> numberAttribute(const QXmlStreamReader& xml, const char* name)
{
    return xdfNumber(attribute(xml, name));
}

std::optional<std::uint32_t> idAttribute(const QXmlStreamReader& xml, const char* name)
{
    const auto n = numberAttribute(xml, name);
    if (!n || *n < 0 || *n > 0xFFFFFFFFll)
        return std::nullopt;
    return static_cast<std::uint32_t>(*n);
}

int intOr(const std::optional<std::int64_t>& n, int fallback)
{
    return n && *n >= 0 && *n <= 1'000'000 ? static_cast<int>(*n) : fallback;
}

// Text of the current element; child elements are skipped.
QString elementText(QXmlStreamReader& xml)
{
    return xml.readElementText(QXmlStreamReader::SkipChildElements).trimmed();
}

XdfData readData(const QXmlStreamReader& xml)
{
    XdfData d;
    if (const auto a = numberAttribute(xml, "mmedaddress")) {
        d.hasAddress = true;
        d.address = *a;
    }
    d.elementBits = intOr(numberAttribute(xml, "mmedelementsizebits"), 8);
    d.rows = intOr(numberAttribute(xml, "mmedrowcount"), 0);
    d.columns = intOr(numberAttribute(xml, "mmedcolcount"), 0);
    d.typeFlags = static_cast<std::uint32_t>(numberAttribute(xml, "mmedtypeflags").value_or(0) & 0xFFFFFFFF);
    d.majorStrideBits = numberAttribute(xml, "mmedmajorstridebits").value_or(0);
    d.minorStrideBits = numberAttribute(xml, "mmedminorstridebits").value_or(0);
    return d;
}

class Reader
{
  public:
    explicit Reader(const QByteArray& text) : xml_(text) {}
    explicit Reader(const QString& text) : xml_(text) {}

    XdfRead read()
    {
        XdfRead result;
        if (!xml_.readNextStartElement()) {
            result.error = xml_.hasError() ? problem() : QStringLiteral("the file holds no XML element");
            return result;
        }
        if (!named(xml_, "XDFFORMAT")) {
            result.error = QStringLiteral("the file is not an XDF definition (its first element is <%1>)")
                               .arg(xml_.name().toString());
            return result;
        }
        XdfDocument& doc = result.document;
        while (xml_.readNextStartElement()) {
            if (named(xml_, "XDFHEADER"))
                readHeader(doc);
            else if (named(xml_, "XDFTABLE"))
                doc.tables.push_back(readTable());
            else if (named(xml_, "XDFCONSTANT"))
                doc.constants.push_back(readConstant());
            else
                xml_.skipCurrentElement();
        }
        if (xml_.hasError()) {
            result.error = problem();
            return result;
        }
        // Category names are known only once the header is read, which may come after a table.
        for (XdfTable& t : doc.tables)
            t.categories = names(t.categories);
        for (XdfConstant& c : doc.constants)
            c.categories = names(c.categories);
        result.ok = true;
        return result;
    }

  private:
    QString problem() const
    {
        return QStringLiteral("the XML is broken at line %1: %2")
            .arg(xml_.lineNumber())
            .arg(xml_.errorString());
    }

    // Tables name their categories by number, 1 for the header's first (index 0).
    QStringList names(const QStringList& numbers) const
    {
        QStringList out;
        for (const QString& n : numbers) {
            const auto i = xdfNumber(n);
            const auto found = i ? categories_.find(*i - 1) : categories_.end();
            if (found != categories_.end())
                out << found->second;
        }
        return out;
    }

    void readHeader(XdfDocument& doc)
    {
        while (xml_.readNextStartElement()) {
            if (named(xml_, "deftitle"))
                doc.title = elementText(xml_);
            else if (named(xml_, "BASEOFFSET"))
                readBaseOffset(doc);
            else if (named(xml_, "CATEGORY")) {
                const auto index = numberAttribute(xml_, "index");
                if (index)
                    categories_[*index] = attribute(xml_, "name");
                xml_.skipCurrentElement();
            } else
                xml_.skipCurrentElement();
        }
    }

    // <BASEOFFSET offset="0x8000" subtract="1"/>, or the offset as the element's text, or as child
    // elements <offset> and <subtract>.
    void readBaseOffset(XdfDocument& doc)
    {
        if (const auto o = numberAttribute(xml_, "offset"))
            doc.baseOffset = *o;
        if (const auto s = numberAttribute(xml_, "subtract"))
            doc.baseSubtract = *s != 0;
        QString text;
        while (!xml_.atEnd()) {
            xml_.readNext();
            if (xml_.isCharacters())
                text += xml_.text();
            else if (xml_.isStartElement()) {
                const bool isOffset = named(xml_, "offset");
                const bool isSubtract = named(xml_, "subtract");
                const auto n = xdfNumber(elementText(xml_));
                if (n && isOffset)
                    doc.baseOffset = *n;
                else if (n && isSubtract)
                    doc.baseSubtract = *n != 0;
            } else if (xml_.isEndElement())
                break;
        }
        if (const auto n = xdfNumber(text))
            doc.baseOffset = *n;
    }

    void readCategoryMember(QStringList& categories)
    {
        const QString c = attribute(xml_, "category");
        if (!c.isEmpty())
            categories << c;
        xml_.skipCurrentElement();
    }

    XdfAxis readAxis()
    {
        XdfAxis axis;
        axis.present = true;
        while (xml_.readNextStartElement()) {
            if (named(xml_, "EMBEDDEDDATA")) {
                axis.data = readData(xml_);
                xml_.skipCurrentElement();
            } else if (named(xml_, "indexcount"))
                axis.indexCount = intOr(xdfNumber(elementText(xml_)), 0);
            else if (named(xml_, "embedinfo")) {
                axis.embedType = intOr(numberAttribute(xml_, "type"), 0);
                axis.linkId = idAttribute(xml_, "linkobjid");
                xml_.skipCurrentElement();
            } else if (named(xml_, "units"))
                axis.units = elementText(xml_);
            else if (named(xml_, "MATH")) {
                axis.equation = attribute(xml_, "equation").trimmed();
                xml_.skipCurrentElement();
            } else if (named(xml_, "LABEL")) {
                axis.labels << attribute(xml_, "value");
                xml_.skipCurrentElement();
            } else
                xml_.skipCurrentElement();
        }
        return axis;
    }

    XdfTable readTable()
    {
        XdfTable t;
        t.line = xml_.lineNumber();
        t.uniqueId = idAttribute(xml_, "uniqueid");
        while (xml_.readNextStartElement()) {
            if (named(xml_, "title"))
                t.title = elementText(xml_);
            else if (named(xml_, "CATEGORYMEM"))
                readCategoryMember(t.categories);
            else if (named(xml_, "XDFAXIS")) {
                const QString id = attribute(xml_, "id").toLower();
                XdfAxis axis = readAxis();
                if (id == QLatin1String("x"))
                    t.x = axis;
                else if (id == QLatin1String("y"))
                    t.y = axis;
                else if (id == QLatin1String("z"))
                    t.z = axis;
            } else
                xml_.skipCurrentElement();
        }
        return t;
    }

    XdfConstant readConstant()
    {
        XdfConstant c;
        c.line = xml_.lineNumber();
        c.uniqueId = idAttribute(xml_, "uniqueid");
        while (xml_.readNextStartElement()) {
            if (named(xml_, "title"))
                c.title = elementText(xml_);
            else if (named(xml_, "CATEGORYMEM"))
                readCategoryMember(c.categories);
            else if (named(xml_, "EMBEDDEDDATA")) {
                c.data = readData(xml_);
                xml_.skipCurrentElement();
            } else if (named(xml_, "MATH")) {
                c.equation = attribute(xml_, "equation").trimmed();
                xml_.skipCurrentElement();
            } else
                xml_.skipCurrentElement();
        }
        return c;
    }

    QXmlStreamReader xml_;
    std::map<std::int64_t, QString> categories_;
};

} // namespace

std::optional<std::int64_t> xdfNumber(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    bool ok = false;
    qlonglong v = 0;
    if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        v = t.mid(2).toLongLong(&ok, 16);
    else
        v = t.toLongLong(&ok, 10);
    // Far beyond any address, and small enough that adding a base offset cannot overflow.
    constexpr qlonglong kLargest = 1ll << 48;
    if (!ok || v > kLargest || v < -kLargest)
        return std::nullopt;
    return static_cast<std::int64_t>(v);
}

const XdfTable* XdfDocument::tableWithId(std::uint32_t id) const
{
    for (const XdfTable& t : tables)
        if (t.uniqueId == id)
            return &t;
    return nullptr;
}

XdfRead readXdf(const QByteArray& text)
{
    XdfRead result = Reader(text).read();
    if (result.ok)
        return result;
    // Files saved by older Windows programs hold "°" and the like in the ANSI code page without
    // declaring it; XML takes them for broken UTF-8. Such a file is read again as Latin-1. A file that
    // declares its encoding is taken at its word.
    const qsizetype declarationEnd = text.startsWith("<?xml") ? text.indexOf("?>") : -1;
    if (declarationEnd >= 0 && text.left(declarationEnd).contains("encoding"))
        return result;
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString decoded = utf8.decode(text);
    if (!utf8.hasError())
        return result;
    XdfRead latin = Reader(QString::fromLatin1(text)).read();
    return latin.ok ? latin : result;
}

XdfRead readXdfFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        XdfRead result;
        result.error = file.errorString();
        return result;
    }
    return readXdf(file.readAll());
}

} // namespace vantrell::xdf
