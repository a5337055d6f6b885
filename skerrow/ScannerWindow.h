// Skerrow's one window: it imports a ROM image, walks it as square tables of 16x16 or 8x8 bytes and
// shows the current table as a 3D surface, a hex listing and a graph of one row, with the bytes
// optionally converted to air/fuel ratios or timing degrees for the surface. It never changes the
// image; the one file it writes is an engine definition the user asks for from the found maps.
#pragma once

#include "CellConversion.h"
#include "ScannerDialogs.h"
#include "TableWalk.h"

#include <QMainWindow>

#include <memory>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;

namespace plot3d {
class SurfacePlot;
}
namespace graph2d {
class LineGraph;
}

namespace skerrow {

class ScannerWindow : public QMainWindow
{
    Q_OBJECT
  public:
    // The dialogs default to the real file dialog and message boxes; the window owns them.
    explicit ScannerWindow(std::unique_ptr<ScannerDialogs> dialogs = nullptr, QWidget* parent = nullptr);
    ~ScannerWindow() override;

    // The program folder in use, named on the About page.
    void setProgramFolder(const QString& folder);

    // What the window holds, for tests and for the pages that show it.
    const TableWalk& walk() const { return walk_; }
    bool isLoaded() const { return loaded_; }
    // The table last cut from the image (all zeros before the first import).
    const TableCut& table() const { return table_; }
    // The conversion box's entry index (-1 when none is chosen).
    int conversionMode() const;
    // The font of the small controls and the listing: 8 pt of the first family of
    // fixedPitchFamilies() that this machine has with one glyph width, else the system's fixed font.
    static QFont smallControlFont();

  public slots:
    // Refreshes the surface, the listing and the row graph from the current address.
    void Grid();

    void ImportROMfile1Click();
    void Exit1Click();
    void N16x161Click();
    void N8x81Click();
    void FindMaps1Click();
    void Button1Click(); // "< "  back one table, not below 0
    void Button2Click(); // " >"  on one table
    void Button3Click(); // "<<"  back 4096
    void Button4Click(); // ">>"  on 4096
    void adrKeyDown();   // Enter in the address box
    void nnChange();
    void lb1Click();
    void TabSheet1Show();
    void TabSheet3Show();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildControls();
    void buildMenus();
    void setTableSize(int n);
    void showAddress(std::int64_t address);
    void feedGraph();
    void rebuildListing();
    int graphRow() const;
    bool listingShown() const;
    void loadFile(const QString& fileName);

    std::unique_ptr<ScannerDialogs> dialogs_;
    TableWalk walk_;
    QString imageFile_; // the file the image was loaded from
    TableCut table_;
    bool loaded_ = false;
    bool rebuildingListing_ = false;

    QTabWidget* pages_ = nullptr;
    QWidget* page3d_ = nullptr;
    QWidget* pageHex_ = nullptr;
    QWidget* pageAbout_ = nullptr;
    plot3d::SurfacePlot* plot_ = nullptr;
    graph2d::LineGraph* graph_ = nullptr;
    QListWidget* listing_ = nullptr;
    QComboBox* mode_ = nullptr;
    QLineEdit* address_ = nullptr;
    QAction* size16_ = nullptr;
    QAction* size8_ = nullptr;
    QAction* findMaps_ = nullptr;
};

} // namespace skerrow
