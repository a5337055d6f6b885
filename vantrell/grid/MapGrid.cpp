#include "vantrell/grid/MapGrid.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QStyledItemDelegate>

#include <algorithm>
#include <cmath>

namespace vantrell {

namespace {

constexpr int kRows = 17;
constexpr int kColumns = 17;
const QColor kHeaderBackground(212, 208, 200);

int pixels(int twips)
{
    return static_cast<int>(std::lround(twips / double(MapGrid::kTwipsPerPixel)));
}

QColor qcolour(const Rgb& rgb)
{
    return QColor(rgb.r, rgb.g, rgb.b);
}

// Cells are drawn plainly: their background, their text centred, and for selected cells a dark veil
// and a white frame so the shading stays readable under the selection. (The style's item drawing
// costs several times as much and a held key refills the grid many times a second.)
class CellDelegate : public QStyledItemDelegate
{
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const bool selected = option.state.testFlag(QStyle::State_Selected);
        const QVariant background = index.data(Qt::BackgroundRole);
        if (background.isValid())
            painter->fillRect(option.rect, background.value<QBrush>());
        if (selected)
            painter->fillRect(option.rect, QColor(0, 0, 0, 70));
        const QVariant foreground = index.data(Qt::ForegroundRole);
        painter->setPen(foreground.isValid() ? foreground.value<QBrush>().color() : QColor(Qt::black));
        const QVariant font = index.data(Qt::FontRole);
        if (font.isValid())
            painter->setFont(font.value<QFont>());
        else
            painter->setFont(option.font);
        painter->drawText(option.rect, Qt::AlignCenter, index.data(Qt::DisplayRole).toString());
        if (selected) {
            painter->setPen(QPen(Qt::white, 1));
            painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
        }
    }
};

} // namespace

GridKey gridKeyOf(const EditKeyPress& press)
{
    GridKey key;
    key.shift = press.shift;
    if (press.role == EditKeyRole::Plus) {
        key.action = GridKeyAction::Plus;
        return key;
    }
    if (press.role == EditKeyRole::Minus) {
        key.action = GridKeyAction::Minus;
        return key;
    }
    if (press.modifiers.testFlag(Qt::KeypadModifier))
        return key;
    switch (press.key) {
    case Qt::Key_F:
        key.action = GridKeyAction::Flag;
        break;
    case Qt::Key_BracketLeft:
    case Qt::Key_BraceLeft:
        key.action = GridKeyAction::AxisDown;
        break;
    case Qt::Key_BracketRight:
    case Qt::Key_BraceRight:
        key.action = GridKeyAction::AxisUp;
        break;
    default:
        break;
    }
    return key;
}

MapGrid::MapGrid(EditorState& state, WriteThrough& writeThrough, common::StatusSink& status,
                 EditKeyReader& keys, QWidget* parent)
    : QTableWidget(parent), state_(state), writeThrough_(writeThrough), status_(status), keys_(keys)
{
    setObjectName(QStringLiteral("editgrid"));
    timer1_.setObjectName(QStringLiteral("Timer1"));
    timer1_.setSingleShot(true);
    timer1_.setInterval(2000);
    connect(&timer1_, &QTimer::timeout, this, &MapGrid::selectionTick);

    horizontalHeader()->hide();
    verticalHeader()->hide();
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setTextElideMode(Qt::ElideNone);
    setWordWrap(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    horizontalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setMinimumSectionSize(1);
    setItemDelegate(new CellDelegate(this));
    connect(this, &QTableWidget::itemSelectionChanged, this, &MapGrid::onSelectionChanged);
    layOut();
}

void MapGrid::layOut()
{
    setUpdatesEnabled(false);
    setRowCount(kRows);
    setColumnCount(kColumns);
    for (int i = 0; i < kRows; ++i)
        for (int j = 0; j < kColumns; ++j)
            if (!item(i, j)) {
                auto* cell = new QTableWidgetItem;
                cell->setTextAlignment(Qt::AlignCenter);
                if (i == 0 || j == 0) {
                    // The header row and column: shown, never current, selected or edited (the cursor
                    // keys and the mouse stop at the first map row and column).
                    cell->setFlags(Qt::NoItemFlags);
                    cell->setBackground(kHeaderBackground);
                    cell->setForeground(Qt::black);
                } else {
                    cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
                }
                setItem(i, j, cell);
            }
    for (int i = 0; i <= 15; ++i) {
        setRowHeight(i, pixels(220));
        setColumnWidth(i, pixels(440));
    }
    setRowHeight(0, pixels(220));
    setColumnWidth(0, pixels(930));
    setColumnWidth(16, pixels(440));
    // The widest cell text ("14.70", "100%") fits a map column: the font shrinks until it does (on a
    // high-DPI screen both scale together).
    QFont cellFont = font();
    for (int size = 10; size >= 7; --size) {
        cellFont.setPixelSize(size);
        if (QFontMetrics(cellFont).horizontalAdvance(QStringLiteral("88.88")) <= columnWidth(1) - 3)
            break;
    }
    setFont(cellFont);
    item(0, 0)->setText(QStringLiteral("revs / tp scale"));
    QFont corner = cellFont;
    corner.setPixelSize(std::min(cellFont.pixelSize(), 9));
    item(0, 0)->setFont(corner);
    int width = 2 * frameWidth();
    for (int j = 0; j < kColumns; ++j)
        width += columnWidth(j);
    int height = 2 * frameWidth();
    for (int i = 0; i < kRows; ++i)
        height += rowHeight(i);
    setFixedSize(width, height);
    setUpdatesEnabled(true);
}

void MapGrid::showCell(int row, int column, const CellLook& look)
{
    QTableWidgetItem* cell = item(row, column);
    cell->setText(QString::fromStdString(look.text));
    cell->setBackground(qcolour(look.background));
    cell->setForeground(Qt::white);
}

void MapGrid::fillGrid()
{
    timer1_.stop();
    setUpdatesEnabled(false);
    const DisplayMode mode = modeSource_ ? modeSource_() : DisplayMode::Data;
    const std::optional<MapSet> set = state_.currentMapSet();
    const MapKind kind = kindOf(state_.currentMap);
    for (int r = 0; r < 16; ++r) {
        for (int c = 0; c < 16; ++c) {
            if (set)
                showCell(r + 1, c + 1, cellLook(state_, *set, kind, mode, r, c));
            else
                showCell(r + 1, c + 1, CellLook{std::string(), Rgb{128, 128, 128}});
        }
        item(r + 1, 0)->setText(set ? QString::fromStdString(rowHeaderText(state_.rom.at(set->rpmAxis + r)))
                                    : QString());
    }
    for (int c = 0; c < 16; ++c)
        item(0, c + 1)->setText(
            set ? QString::fromStdString(columnHeaderText(state_.rom.at(set->loadAxis + c))) : QString());
    emit filled();
    restoreSelection();
    setUpdatesEnabled(true);
    emit viewNeedsDrawing();
    timer1_.start();
}

CellBlock MapGrid::gridSelection() const
{
    const QList<QTableWidgetSelectionRange> ranges = selectedRanges();
    if (!ranges.isEmpty()) {
        const QTableWidgetSelectionRange& r = ranges.front();
        return CellBlock::ordered(r.topRow(), r.leftColumn(), r.bottomRow(), r.rightColumn());
    }
    const int row = std::max(currentRow(), 0);
    const int column = std::max(currentColumn(), 0);
    return CellBlock{row, column, row, column};
}

void MapGrid::restoreSelection()
{
    // The saved selection lies on map cells once the user or Timer1 has saved one; before that (all
    // 0) the first map cell is current, as it is when the grid starts.
    const int top = std::max(saved_.top, 1);
    const int left = std::max(saved_.left, 1);
    const int bottom = std::max(saved_.bottom, top);
    const int right = std::max(saved_.right, left);
    restoring_ = true;
    clearSelection();
    setCurrentCell(top, left, QItemSelectionModel::NoUpdate);
    setRangeSelected(QTableWidgetSelectionRange(top, left, bottom, right), true);
    restoring_ = false;
}

void MapGrid::selectCells(const CellBlock& selection)
{
    saved_ = selection;
    restoreSelection();
    emit selectionSaved(saved_);
}

void MapGrid::onSelectionChanged()
{
    if (restoring_)
        return;
    saved_ = gridSelection();
    emit selectionSaved(saved_);
    emit viewNeedsDrawing();
}

void MapGrid::selectionTick()
{
    timer1_.stop();
    saved_ = gridSelection();
    if (saved_ != previous_) {
        emit selectionSaved(saved_);
        emit viewNeedsDrawing();
        previous_ = saved_;
    }
    timer1_.setInterval(20);
}

void MapGrid::refuse()
{
    status_.appendStatusLine("No usable engine config loaded - the maps cannot be edited");
}

void MapGrid::keyPressEvent(QKeyEvent* event)
{
    // The editing keys act when they are released; on the way down they must not move the cursor or
    // start a search in the table.
    if (gridKeyOf(keys_.keyDown(*event)).action != GridKeyAction::Other) {
        event->accept();
        return;
    }
    QTableWidget::keyPressEvent(event);
}

void MapGrid::keyReleaseEvent(QKeyEvent* event)
{
    // A held key repeats its press; only the real release edits, once.
    if (event->isAutoRepeat()) {
        event->accept();
        return;
    }
    editKey(gridKeyOf(keys_.keyUp(*event)));
    event->accept();
}

void MapGrid::editKey(const GridKey& key)
{
    timer1_.stop();
    if (!state_.currentMapSet()) {
        refuse();
        timer1_.start();
        return;
    }
    if (key.action == GridKeyAction::AxisDown || key.action == GridKeyAction::AxisUp) {
        // Before a selection has been saved the left column is 0, which is no map column.
        if (saved_.left >= 1) {
            const int step = key.action == GridKeyAction::AxisDown ? -1 : 1;
            if (const std::optional<AxisStep> changed = stepLoadAxis(state_, saved_.left, step)) {
                fillGrid();
                timer1_.stop();
                const std::uint8_t byte = changed->byte;
                writeThrough_.writeThrough(changed->address, std::span<const std::uint8_t>(&byte, 1));
            }
        }
        timer1_.start();
        return;
    }

    EditKey edit = EditKey::Other;
    if (key.action == GridKeyAction::Plus)
        edit = EditKey::Plus;
    else if (key.action == GridKeyAction::Minus)
        edit = EditKey::Minus;
    else if (key.action == GridKeyAction::Flag)
        edit = EditKey::Flag;

    const DisplayMode mode = modeSource_ ? modeSource_() : DisplayMode::Data;
    const CellBlock selection = saved_;
    setUpdatesEnabled(false);
    for (int row = selection.top; row <= selection.bottom; ++row) {
        for (int column = selection.left; column <= selection.right; ++column) {
            const std::optional<CellChange> change = editCell(state_, mode, row, column, edit, key.shift);
            if (!change)
                continue;
            showCell(change->gridRow, change->gridColumn, change->look);
            if (writeThrough_.isOnline()) {
                const std::uint8_t byte = change->byte;
                writeThrough_.writeThrough(change->address, std::span<const std::uint8_t>(&byte, 1));
            }
        }
    }
    restoreSelection();
    setUpdatesEnabled(true);
    emit viewNeedsDrawing();
    timer1_.start();
}

} // namespace vantrell
