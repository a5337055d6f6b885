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

constexpr int kRows = MapGridModel::kSize;
constexpr int kColumns = MapGridModel::kSize;

int pixels(int twips)
{
    return static_cast<int>(std::lround(twips / double(MapGrid::kTwipsPerPixel)));
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
        paintMarks(painter, option.rect, index.data(MapGridModel::MarksRole).toInt());
        const QVariant trace = index.data(MapGridModel::TraceRole);
        if (trace.isValid())
            paintTrace(painter, option.rect, trace.value<TraceLook>());
    }

  private:
    // Marks leave the cell's colour and text readable: a corner triangle for a difference from the
    // reference image, a dotted inner frame for a difference on a board.
    static void paintMarks(QPainter* painter, const QRect& rect, int marks)
    {
        if (marks == 0)
            return;
        painter->save();
        if (marks & static_cast<int>(CellMark::DiffersFromReference)) {
            // Magenta, as the ring around the same cell's point in the 3D view.
            const int side = std::max(5, rect.height() / 2);
            const QPoint corner = rect.topRight();
            const QPoint triangle[3] = {corner, corner - QPoint(side, 0), corner + QPoint(0, side)};
            painter->setPen(QPen(Qt::black, 1));
            painter->setBrush(QColor(255, 0, 255));
            painter->drawPolygon(triangle, 3);
        }
        if (marks & static_cast<int>(CellMark::DiffersOnBoard)) {
            painter->setPen(QPen(Qt::black, 1, Qt::DotLine));
            painter->setBrush(Qt::NoBrush);
            painter->drawRect(rect.adjusted(1, 1, -2, -2));
        }
        painter->restore();
    }

    // The live trace: a yellow frame round the running cell (a bar along the top and bottom of each
    // cell of its row when the load is not known), an orange disc in the lower left corner as large as
    // the engine's share of the cell, and a cyan frame fading with the age of a trail cell.
    static void paintTrace(QPainter* painter, const QRect& rect, const TraceLook& look)
    {
        if (!look.marked())
            return;
        painter->save();
        painter->setBrush(Qt::NoBrush);
        if (look.trail > 0 && !look.running) {
            painter->setPen(QPen(QColor(0, 230, 255, static_cast<int>(60 + 195 * look.trail)), 2));
            painter->drawRect(rect.adjusted(1, 1, -2, -2));
        }
        if (look.weight > 0) {
            const double radius = std::max(1.5, std::sqrt(look.weight) * rect.height() * 0.35);
            painter->setRenderHint(QPainter::Antialiasing, true);
            painter->setPen(QPen(Qt::black, 1));
            painter->setBrush(QColor(255, 140, 0));
            painter->drawEllipse(QPointF(rect.left() + 2 + radius, rect.bottom() - 1 - radius), radius,
                                 radius);
            painter->setBrush(Qt::NoBrush);
            painter->setRenderHint(QPainter::Antialiasing, false);
        }
        if (look.running) {
            painter->setPen(QPen(QColor(255, 230, 0), 3));
            painter->drawRect(rect.adjusted(1, 1, -2, -2));
        } else if (look.rowOnly) {
            painter->setPen(QPen(QColor(255, 230, 0), 3));
            painter->drawLine(rect.topLeft() + QPoint(0, 1), rect.topRight() + QPoint(0, 1));
            painter->drawLine(rect.bottomLeft() - QPoint(0, 1), rect.bottomRight() - QPoint(0, 1));
        }
        painter->restore();
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

MapGrid::MapGrid(EditorState& state, common::StatusSink& status, EditKeyReader& keys, QWidget* parent)
    : QTableView(parent), state_(state), status_(status), keys_(keys), model_(new MapGridModel(state, this))
{
    setObjectName(QStringLiteral("editgrid"));
    timer1_.setObjectName(QStringLiteral("Timer1"));
    timer1_.setParent(this);
    timer1_.setSingleShot(true);
    timer1_.setInterval(2000);
    connect(&timer1_, &QTimer::timeout, this, &MapGrid::selectionTick);

    setModel(model_);
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
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &MapGrid::onSelectionChanged);
    // A load of the document refreshed every cell: the saved selection comes back and the view follows.
    connect(model_, &MapGridModel::refreshed, this, [this] {
        restoreSelection();
        emit filled();
        emit viewNeedsDrawing();
        timer1_.start();
    });
    connect(model_, &MapGridModel::stepShown, this, &MapGrid::onStepShown);
    layOut();
}

void MapGrid::layOut()
{
    setUpdatesEnabled(false);
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
    QFont corner = cellFont;
    corner.setPixelSize(std::min(cellFont.pixelSize(), 9));
    model_->setCornerFont(corner);
    int width = 2 * frameWidth();
    for (int j = 0; j < kColumns; ++j)
        width += columnWidth(j);
    int height = 2 * frameWidth();
    for (int i = 0; i < kRows; ++i)
        height += rowHeight(i);
    setFixedSize(width, height);
    setUpdatesEnabled(true);
}

void MapGrid::refresh()
{
    timer1_.stop();
    setUpdatesEnabled(false);
    model_->refresh(); // restores the selection, tells the window and starts Timer1
    setUpdatesEnabled(true);
}

void MapGrid::onStepShown(const EditStep&)
{
    emit viewNeedsDrawing();
    timer1_.start();
}

void MapGrid::setCurrentCell(int row, int column)
{
    setCurrentIndex(model_->index(row, column));
}

void MapGrid::selectRange(const CellBlock& block)
{
    selectionModel()->select(
        QItemSelection(model_->index(block.top, block.left), model_->index(block.bottom, block.right)),
        QItemSelectionModel::Select);
}

QList<CellBlock> MapGrid::selectedBlocks() const
{
    QList<CellBlock> blocks;
    for (const QItemSelectionRange& r : selectionModel()->selection())
        blocks.push_back(CellBlock::ordered(r.top(), r.left(), r.bottom(), r.right()));
    return blocks;
}

CellBlock MapGrid::gridSelection() const
{
    const QList<CellBlock> blocks = selectedBlocks();
    if (!blocks.isEmpty())
        return blocks.front();
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
    selectionModel()->setCurrentIndex(model_->index(top, left), QItemSelectionModel::NoUpdate);
    selectRange(CellBlock{top, left, bottom, right});
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
    QTableView::keyPressEvent(event);
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
            if (const std::optional<EditStep> axis = loadAxisStep(state_, saved_.left, step))
                if (!state_.rom.apply(*axis))
                    status_.appendStatusLine(refusedStepLine(*axis));
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

    setUpdatesEnabled(false);
    if (const std::optional<EditStep> cells = cellKeyStep(state_, saved_, edit, key.shift))
        if (!state_.rom.apply(*cells))
            status_.appendStatusLine(refusedStepLine(*cells));
    restoreSelection();
    setUpdatesEnabled(true);
    timer1_.start();
}

} // namespace vantrell
