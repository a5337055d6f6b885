// The map grid's table model: the current map of the ROM document as 17 by 17 cells (header row and
// column, 16 by 16 map cells) with their text in the display mode, their colour, and the marks that
// other features set on ROM addresses (differs from the reference image, differs on a board).
//
// It listens to the document: an edit step updates the cells whose bytes or axes it changed (as
// dataChanged over them); cells changed by the grid's edit keys show the edit colours until the next
// full refresh. A load of the document refreshes every cell.
#pragma once

#include "vantrell/grid/core/CellTrace.h"
#include "vantrell/grid/core/GridEditing.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QFont>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace vantrell {

// Marks on map cells, by ROM address; a cell may carry several.
enum class CellMark : int {
    DiffersFromReference = 1, // its byte differs from the reference image being compared with
    DiffersOnBoard = 2,       // a board holds another byte there
};

class MapGridModel : public QAbstractTableModel, public DocumentListener
{
    Q_OBJECT
  public:
    static constexpr int kSize = 17;
    // The cell's marks as an int of CellMark bits.
    static constexpr int MarksRole = Qt::UserRole + 1;
    // The live trace's look of the cell (a TraceLook; unmarked for the header row and column).
    static constexpr int TraceRole = Qt::UserRole + 2;

    // Listens to the state's document for its whole lifetime; does not own the state.
    explicit MapGridModel(EditorState& state, QObject* parent = nullptr);
    ~MapGridModel() override;

    // The mode the cells are shown in; asked at every refresh and every step.
    void setModeSource(std::function<DisplayMode()> source) { modeSource_ = std::move(source); }
    DisplayMode mode() const { return modeSource_ ? modeSource_() : DisplayMode::Data; }

    // Every cell again from the document for the current map, in the grid colours.
    void refresh();

    // Sets or clears `mark` on the ROM addresses [address, address + length).
    void setMarked(CellMark mark, std::uint32_t address, std::uint32_t length, bool marked);
    // Sets `mark` on the addresses of [address, address + length) where `marked` says so, and clears
    // it on the others.
    void markWhere(CellMark mark, std::uint32_t address, std::uint32_t length,
                   const std::function<bool(std::uint32_t)>& marked);
    // Clears `mark` everywhere.
    void clearMarks(CellMark mark);
    // The reference image's byte at an address, for the tooltip of a cell that differs from it.
    void setReferenceSource(std::function<std::optional<std::uint8_t>(std::uint32_t)> source)
    {
        referenceSource_ = std::move(source);
    }
    int marksAt(std::uint32_t address) const;
    // The live trace on the shown map (map coordinates); the cells whose look changed are updated.
    void setTrace(const CellTrace& trace);
    const CellTrace& trace() const { return trace_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    void stepApplied(const EditStep& step) override;
    void documentLoaded(DocumentLoad load) override;

    // The corner cell's font (smaller than the cells' when they are large).
    void setCornerFont(const QFont& font) { cornerFont_ = font; }
    // The text and colour of a cell as shown now.
    QString text(int row, int column) const { return cell(row, column).text; }
    QColor background(int row, int column) const { return cell(row, column).background; }

  signals:
    // Every cell was refreshed (a load, a page switch, a mode change).
    void refreshed();
    // An edit step changed what some cells show.
    void stepShown(const vantrell::EditStep& step);

  private:
    struct Cell
    {
        QString text;
        QColor background;
        bool edited = false; // shows the edit colours
    };
    Cell& cell(int row, int column) { return cells_[static_cast<std::size_t>(row * kSize + column)]; }
    const Cell& cell(int row, int column) const
    {
        return cells_[static_cast<std::size_t>(row * kSize + column)];
    }
    void computeCell(int row, int column, bool edited);
    void computeHeaders();
    std::optional<std::uint32_t> addressOf(int row, int column) const;
    QVariant referenceToolTip(int row, int column) const;

    EditorState& state_;
    // The current map's addresses as of the last refresh (the definition and the current map change
    // only with a refresh after them).
    std::optional<MapSet> set_;
    std::function<DisplayMode()> modeSource_;
    std::array<Cell, kSize * kSize> cells_;
    std::vector<std::uint8_t> marks_; // a CellMark set for every ROM address
    std::function<std::optional<std::uint8_t>(std::uint32_t)> referenceSource_;
    std::optional<QFont> cornerFont_;
    CellTrace trace_;
};

} // namespace vantrell

Q_DECLARE_METATYPE(vantrell::TraceLook)
