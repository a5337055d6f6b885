#include "vantrell/grid/MapGridModel.h"

#include <QBrush>

#include <algorithm>

namespace vantrell {

namespace {

const QColor kHeaderBackground(212, 208, 200);
const QColor kNoMap(128, 128, 128);

QColor qcolour(const Rgb& rgb)
{
    return QColor(rgb.r, rgb.g, rgb.b);
}

bool isHeader(int row, int column)
{
    return row == 0 || column == 0;
}

} // namespace

MapGridModel::MapGridModel(EditorState& state, QObject* parent) : QAbstractTableModel(parent), state_(state)
{
    cell(0, 0).text = QStringLiteral("revs / tp scale");
    state_.rom.addListener(this);
    refresh();
}

MapGridModel::~MapGridModel()
{
    state_.rom.removeListener(this);
}

int MapGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kSize;
}

int MapGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kSize;
}

Qt::ItemFlags MapGridModel::flags(const QModelIndex& index) const
{
    // The header row and column are shown, never current, selected or edited: the cursor keys and the
    // mouse stop at the first map row and column.
    if (!index.isValid() || isHeader(index.row(), index.column()))
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

QVariant MapGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const int row = index.row();
    const int column = index.column();
    const bool header = isHeader(row, column);
    switch (role) {
    case Qt::DisplayRole:
        return cell(row, column).text;
    case Qt::BackgroundRole:
        return QBrush(header ? kHeaderBackground : cell(row, column).background);
    case Qt::ForegroundRole:
        return QBrush(header ? QColor(Qt::black) : QColor(Qt::white));
    case Qt::TextAlignmentRole:
        return int(Qt::AlignCenter);
    case Qt::FontRole:
        if (row == 0 && column == 0 && cornerFont_)
            return *cornerFont_;
        return {};
    case MarksRole: {
        const std::optional<std::uint32_t> address = addressOf(row, column);
        return address ? marksAt(*address) : 0;
    }
    case TraceRole: {
        // Most cells carry no trace: nothing to wrap, nothing for the painter to look at.
        if (header)
            return {};
        const TraceLook look = trace_.at(row - 1, column - 1);
        return look.marked() ? QVariant::fromValue(look) : QVariant();
    }
    case Qt::ToolTipRole:
        return referenceToolTip(row, column);
    default:
        return {};
    }
}

std::optional<std::uint32_t> MapGridModel::addressOf(int row, int column) const
{
    if (isHeader(row, column) || !set_)
        return std::nullopt;
    return cellAddress(*set_, row - 1, column - 1);
}

QVariant MapGridModel::referenceToolTip(int row, int column) const
{
    const std::optional<std::uint32_t> address = addressOf(row, column);
    if (!address || !referenceSource_ || !(marksAt(*address) & int(CellMark::DiffersFromReference)))
        return {};
    const std::optional<std::uint8_t> reference = referenceSource_(*address);
    if (!reference)
        return {};
    const std::string text = cellText(kindOf(state_.currentMap), mode(), *reference,
                                      fuelContext(state_, *set_, row - 1, column - 1));
    return QStringLiteral("Reference: ") + QString::fromStdString(text);
}

void MapGridModel::computeCell(int row, int column, bool edited)
{
    Cell& c = cell(row, column);
    if (!set_) {
        c = Cell{QString(), kNoMap, false};
        return;
    }
    const MapKind kind = kindOf(state_.currentMap);
    const DisplayMode m = mode();
    const CellLook look = edited ? editedCellLook(state_, *set_, kind, m, row - 1, column - 1)
                                 : cellLook(state_, *set_, kind, m, row - 1, column - 1);
    c.text = QString::fromStdString(look.text);
    c.background = qcolour(look.background);
    c.edited = edited;
}

void MapGridModel::computeHeaders()
{
    const std::optional<MapSet>& set = set_;
    for (int i = 0; i < 16; ++i) {
        const auto k = static_cast<std::uint32_t>(i);
        cell(i + 1, 0).text =
            set ? QString::fromStdString(rowHeaderText(state_.rom.at(set->rpmAxis + k))) : QString();
        cell(0, i + 1).text =
            set ? QString::fromStdString(columnHeaderText(state_.rom.at(set->loadAxis + k))) : QString();
    }
}

void MapGridModel::refresh()
{
    set_ = state_.currentMapSet();
    computeHeaders();
    for (int r = 1; r < kSize; ++r)
        for (int c = 1; c < kSize; ++c)
            computeCell(r, c, false);
    emit dataChanged(index(0, 0), index(kSize - 1, kSize - 1));
    emit refreshed();
}

void MapGridModel::stepApplied(const EditStep& step)
{
    const std::optional<MapSet>& set = set_;
    if (!set) {
        emit stepShown(step);
        return;
    }
    // Which cells show a changed byte: a map byte its own cell, an axis byte its header and, for the
    // fuel conversions, its whole row or column.
    std::array<bool, kSize * kSize> dirty{};
    std::array<bool, kSize * kSize> keyed{};
    auto mark = [&dirty](int row, int column) {
        dirty[static_cast<std::size_t>(row * kSize + column)] = true;
    };
    const bool keys = step.source == EditSource::GridKeys;
    for (const ByteChange& change : step.changes) {
        for (std::uint32_t i = 0; i < change.length(); ++i) {
            const std::uint32_t a = change.address + i;
            if (a >= set->map && a < set->map + 256) {
                const int r = static_cast<int>(a - set->map) / 16 + 1;
                const int c = static_cast<int>(a - set->map) % 16 + 1;
                mark(r, c);
                keyed[static_cast<std::size_t>(r * kSize + c)] = keys;
            }
            if (a >= set->rpmAxis && a < set->rpmAxis + 16) {
                const int r = static_cast<int>(a - set->rpmAxis) + 1;
                for (int c = 0; c < kSize; ++c)
                    mark(r, c);
            }
            if (a >= set->loadAxis && a < set->loadAxis + 16) {
                const int c = static_cast<int>(a - set->loadAxis) + 1;
                for (int r = 0; r < kSize; ++r)
                    mark(r, c);
            }
        }
    }
    int top = kSize, left = kSize, bottom = -1, right = -1;
    for (int r = 0; r < kSize; ++r) {
        for (int c = 0; c < kSize; ++c) {
            const std::size_t i = static_cast<std::size_t>(r * kSize + c);
            // Any step but the grid's keys shows the whole map in the grid colours again.
            if (!keys && !isHeader(r, c) && cell(r, c).edited)
                dirty[i] = true;
            if (!dirty[i])
                continue;
            if (!isHeader(r, c))
                computeCell(r, c, keyed[i] || (keys && cell(r, c).edited));
            top = std::min(top, r);
            left = std::min(left, c);
            bottom = std::max(bottom, r);
            right = std::max(right, c);
        }
    }
    if (bottom >= 0) {
        computeHeaders();
        emit dataChanged(index(top, left), index(bottom, right));
    }
    emit stepShown(step);
}

void MapGridModel::documentLoaded(DocumentLoad)
{
    marks_.resize(state_.rom.size(), 0);
    refresh();
}

void MapGridModel::setMarked(CellMark mark, std::uint32_t address, std::uint32_t length, bool marked)
{
    marks_.resize(std::max<std::size_t>(marks_.size(), state_.rom.size()), 0);
    const auto bit = static_cast<std::uint8_t>(mark);
    for (std::uint32_t a = address; a < address + length && a < marks_.size(); ++a)
        marks_[a] = marked ? (marks_[a] | bit) : (marks_[a] & ~bit);
    emit dataChanged(index(1, 1), index(kSize - 1, kSize - 1), {MarksRole});
}

void MapGridModel::markWhere(CellMark mark, std::uint32_t address, std::uint32_t length,
                             const std::function<bool(std::uint32_t)>& marked)
{
    marks_.resize(std::max<std::size_t>(marks_.size(), state_.rom.size()), 0);
    const auto bit = static_cast<std::uint8_t>(mark);
    for (std::uint32_t a = address; a < address + length && a < marks_.size(); ++a)
        marks_[a] = marked(a) ? (marks_[a] | bit) : (marks_[a] & ~bit);
    emit dataChanged(index(1, 1), index(kSize - 1, kSize - 1), {MarksRole});
}

void MapGridModel::clearMarks(CellMark mark)
{
    const auto bit = static_cast<std::uint8_t>(mark);
    for (std::uint8_t& m : marks_)
        m = static_cast<std::uint8_t>(m & ~bit);
    emit dataChanged(index(1, 1), index(kSize - 1, kSize - 1), {MarksRole});
}

void MapGridModel::setTrace(const CellTrace& trace)
{
    int top = kSize, left = kSize, bottom = -1, right = -1;
    for (int r = 0; r < CellTrace::kSide; ++r)
        for (int c = 0; c < CellTrace::kSide; ++c)
            if (!(trace.at(r, c) == trace_.at(r, c))) {
                top = std::min(top, r + 1);
                left = std::min(left, c + 1);
                bottom = std::max(bottom, r + 1);
                right = std::max(right, c + 1);
            }
    trace_ = trace;
    if (bottom >= 0)
        emit dataChanged(index(top, left), index(bottom, right), {TraceRole});
}

int MapGridModel::marksAt(std::uint32_t address) const
{
    return address < marks_.size() ? marks_[address] : 0;
}

} // namespace vantrell
