#include "vantrell/tools/LimiterPage.h"

#include "vantrell/tools/PageFont.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QTableWidget>

namespace vantrell {

namespace {

const char* const kGridNames[] = {"boostlimit", "injbase",           "injcap",
                                  "accl",       "rev_limiter_entry", "speed_limiter_entry"};

} // namespace

LimiterPage::LimiterPage(EditorState& state, common::StatusSink& status, Dialogs&, EditKeyReader& keys,
                         QWidget* parent)
    : QGroupBox(QStringLiteral("Misc Limiters"), parent), state_(state), status_(status), keys_(keys)
{
    setObjectName(QStringLiteral("frame_limiters"));
    state_.rom.addListener(this);
    usePageFont(this);
    for (const char* name : kGridNames) {
        auto* t = new QTableWidget(1, 1, this);
        t->setObjectName(QString::fromLatin1(name));
        t->horizontalHeader()->hide();
        t->horizontalHeader()->setMinimumSectionSize(1);
        t->verticalHeader()->setMinimumSectionSize(1);
        t->verticalHeader()->hide();
        t->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        t->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        // The cells change only through the keys below, never by typing into them.
        t->setEditTriggers(QAbstractItemView::NoEditTriggers);
        t->setSelectionMode(QAbstractItemView::NoSelection);
        t->setTextElideMode(Qt::ElideNone);
        t->setWordWrap(false);
        t->setStyleSheet(QStringLiteral("QTableWidget::item { padding: 0px; }"));
        t->setFrameShape(QFrame::NoFrame);
        QFont small = t->font();
        small.setPixelSize(10);
        t->setFont(small);
        t->hide();
        tables_[name] = t;
    }
    tables_["rev_limiter_entry"]->installEventFilter(this);
    tables_["speed_limiter_entry"]->installEventFilter(this);
    hide();
}

void LimiterPage::fillGrid(QTableWidget* table, const LimiterGrid& grid)
{
    const int columns = 1 + static_cast<int>(grid.cells.size());
    table->setColumnCount(columns);
    table->setRowCount(1);
    const QColor fixed = palette().color(QPalette::Button);
    auto* caption = new QTableWidgetItem(QString::fromStdString(grid.caption));
    caption->setFlags(Qt::ItemIsEnabled);
    caption->setBackground(fixed);
    table->setItem(0, 0, caption);
    table->setColumnWidth(0, pixels(grid.captionWidth));
    // Value columns in twips, cut where the running total falls, so they add up to the grid's width.
    auto edge = [&grid](int i) { return pixels(grid.captionWidth + i * grid.cellWidth); };
    for (int i = 1; i < columns; ++i) {
        auto* item =
            new QTableWidgetItem(QString::fromStdString(grid.cells[static_cast<std::size_t>(i - 1)]));
        item->setTextAlignment(Qt::AlignCenter);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        table->setItem(0, i, item);
        table->setColumnWidth(i, edge(i) - edge(i - 1));
    }
    table->setRowHeight(0, pixels(kGridRowHeight) - 2);
    table->setGeometry(pixels(grid.x), pixels(grid.y), pixels(grid.width), pixels(kGridRowHeight));
    table->setVisible(grid.shown);
}

LimiterPage::~LimiterPage()
{
    state_.rom.removeListener(this);
}

void LimiterPage::stepApplied(const EditStep&)
{
    // A hidden page is filled when it opens.
    if (!editing_ && !isHidden())
        refill();
}

void LimiterPage::refill()
{
    for (const LimiterGrid& grid : limiterGrids(state_))
        fillGrid(tables_[grid.name], grid);
}

void LimiterPage::openPage()
{
    refill();
    setGeometry(31, 145, 570, 275);
    show();
    raise();
}

bool LimiterPage::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        // The key means what it meant when it went down (see EditKeyReader).
        keys_.keyDown(*static_cast<QKeyEvent*>(event));
        return false;
    }
    if (event->type() != QEvent::KeyRelease)
        return QGroupBox::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    // A held key steps once, when it is let go: auto-repeated releases are not real releases.
    if (key->isAutoRepeat())
        return false;
    auto* table = qobject_cast<QTableWidget*>(watched);
    if (!table || table->columnCount() < 2 || !table->item(0, 1))
        return false;
    const bool rev = table == tables_["rev_limiter_entry"];
    // The plus and minus keys of the user's layout, as on the map grid; Shift gives the big step.
    const EditKeyPress press = keys_.keyUp(*key);
    const LimiterKey k = press.role == EditKeyRole::Plus    ? LimiterKey::Plus
                         : press.role == EditKeyRole::Minus ? LimiterKey::Minus
                                                            : LimiterKey::Other;
    const bool shift = press.modifiers & Qt::ShiftModifier;
    const std::string text = table->item(0, 1)->text().toStdString();
    editing_ = true;
    const std::string next =
        rev ? editRevLimit(state_, text, k, shift, status_) : editSpeedLimit(state_, text, k, shift, status_);
    editing_ = false;
    table->item(0, 1)->setText(QString::fromStdString(next));
    return false;
}

} // namespace vantrell
