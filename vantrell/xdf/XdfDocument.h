// What an XDF definition file says about a ROM: the base offset of its addresses, its tables (a value
// axis "z" with the axes "x" over the columns and "y" over the rows) and its constants, each with the
// place of its data, its element size and flags, its conversion and its categories. Only what an
// engine definition can use is kept; the rest of the file is skipped.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

namespace vantrell::xdf {

// The place of an axis's or a constant's values in the ROM, as the XDF writes it (before the base
// offset is applied).
struct XdfData
{
    bool hasAddress = false;
    std::int64_t address = 0;
    int elementBits = 8;
    int rows = 0;    // 0 when not given
    int columns = 0; // 0 when not given
    std::uint32_t typeFlags = 0;
    // Bits from one row (column, when column-major) to the next, and from one value to the next; 0 when
    // the values lie packed.
    std::int64_t majorStrideBits = 0;
    std::int64_t minorStrideBits = 0;

    bool isSigned() const { return (typeFlags & 0x01u) != 0; }
    bool lsbFirst() const { return (typeFlags & 0x02u) != 0; }
    bool columnMajor() const { return (typeFlags & 0x04u) != 0; }
    int elementBytes() const { return (elementBits + 7) / 8; }
    // True when the values lie one after the other without gaps, `perLine` values to a row.
    bool packed(int perLine) const
    {
        return (majorStrideBits == 0 ||
                majorStrideBits == static_cast<std::int64_t>(perLine) * elementBits) &&
               (minorStrideBits == 0 || minorStrideBits == elementBits);
    }
};

struct XdfAxis
{
    bool present = false;
    XdfData data;
    int indexCount = 0;
    int embedType = 0;                   // 3: values taken from the table linkId names
    std::optional<std::uint32_t> linkId; // set for embedType 3
    QString units;
    QString equation;   // empty when the axis has none
    QStringList labels; // fixed texts, for an axis without data in the ROM
};

struct XdfTable
{
    std::optional<std::uint32_t> uniqueId;
    QString title;
    QStringList categories; // names, from the header's list
    XdfAxis x, y, z;
    qint64 line = 0; // where the table starts in the file
};

struct XdfConstant
{
    std::optional<std::uint32_t> uniqueId;
    QString title;
    QStringList categories;
    XdfData data;
    QString equation;
    qint64 line = 0;
};

struct XdfDocument
{
    QString title;
    std::int64_t baseOffset = 0;
    bool baseSubtract = false;
    std::vector<XdfTable> tables;
    std::vector<XdfConstant> constants;

    // The offset in the image file of an address as the XDF writes it.
    std::int64_t fileAddress(std::int64_t xdfAddress) const
    {
        return baseSubtract ? xdfAddress - baseOffset : xdfAddress + baseOffset;
    }
    // The table whose unique id is `id`, or nullptr.
    const XdfTable* tableWithId(std::uint32_t id) const;
};

struct XdfRead
{
    bool ok = false;
    QString error; // why the file cannot be read, when !ok
    XdfDocument document;
};

// Reads the text of an XDF file. Element names are matched without regard to case; numbers are
// decimal or hexadecimal with "0x". A file that is not well-formed XML, or whose root is not
// XDFFORMAT, is refused with the reason.
XdfRead readXdf(const QByteArray& text);
// The same for a file; a file that cannot be opened is refused with the system's reason.
XdfRead readXdfFile(const QString& path);

// A number as XDF files write them: "0x1F", "31", blanks around; nothing for anything else.
std::optional<std::int64_t> xdfNumber(const QString& text);

} // namespace vantrell::xdf
