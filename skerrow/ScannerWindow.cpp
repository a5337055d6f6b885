#include "ScannerWindow.h"

#include "DefaultScannerDialogs.h"
#include "FixedPitchFont.h"
#include "HexListing.h"
#include "MapFinder.h"

#include "common/Numbers.h"
#include "graph2d/LineGraph.h"
#include "plot3d/SurfacePlot.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>

#include <array>

namespace skerrow {

namespace {

const QString caption = QStringLiteral("SKERROW V1.1");

QString hexAddress(std::int64_t address)
{
    return QString::fromStdString(common::hexTextPadded(static_cast<std::uint32_t>(address), 4));
}

const QString aboutText = QStringLiteral(
    "<p><b>SKERROW V1.1</b> &mdash; ROM map scanner</p>"
    "<p>Skerrow looks through the ROM image of an engine control unit for the places where the fuel "
    "and timing maps are kept. It only reads the image and never changes it.</p>"
    "<p>Load an image with <i>Main &gt; Import ROM file</i>. The image is cut into square tables of "
    "16 by 16 bytes (8 by 8 from the <i>Map</i> menu) starting at the address in the box below. "
    "&lsquo;&lt; &rsquo; and &lsquo; &gt;&rsquo; move one table, &lsquo;&lt;&lt;&rsquo; and "
    "&lsquo;&gt;&gt;&rsquo; move 4096 bytes, and a hexadecimal address typed into the box and "
    "confirmed with Enter jumps there.</p>"
    "<p>On the <i>3D</i> page a map shows as a smooth slope, code and text as a jagged field. Choose "
    "a conversion to see the bytes as air/fuel ratios or as timing degrees. The <i>2D - HEX</i> page "
    "lists the bytes of each row; click a row to plot it underneath. <i>Map &gt; Find maps</i> lists "
    "the twenty tables that look most like maps, with their kind and axes, and writes an engine "
    "definition for Vantrell from them.</p>");

const QString usageText = QStringLiteral(
    "1. Main > Import ROM file: choose the image (any file; up to 16 MiB).\n"
    "2. Walk it: \"< \" and \" >\" by one table, \"<<\" and \">>\" by 4096 bytes, or type an address in "
    "hexadecimal and press Enter.\n"
    "3. Map > 16x16 or 8x8 sets the table size; it starts again at address 0.\n"
    "4. Map > Find maps lists the likeliest places; choose one to jump there, or save an engine "
    "definition for Vantrell from the maps it found (Save Engine Definition...).\n"
    "5. On the 3D page drag with the left mouse button to turn the surface and with the right one to "
    "zoom.");

const QString conversionText = QStringLiteral(
    "RAW DATA shows the bytes as they are (0 to 255).\n"
    "CONVERT TO AF RATIOS (FUEL) shows each byte as an air/fuel ratio: 14.7 x 128 / (byte + 128) below "
    "A0 hex, 14.7 x 128 / (byte - 64) from A0 on.\n"
    "CONVERT TO DEGREES (TIMING) shows each byte as ignition degrees: its low seven bits up to F0 hex, "
    "byte - 255 above it.\n"
    "The hex listing and the row graph always show the raw bytes.");

} // namespace

ScannerWindow::ScannerWindow(std::unique_ptr<ScannerDialogs> dialogs, QWidget* parent)
    : QMainWindow(parent), dialogs_(std::move(dialogs))
{
    if (!dialogs_)
        dialogs_ = std::make_unique<DefaultScannerDialogs>();
    setObjectName(QStringLiteral("ScannerWindow"));
    setWindowTitle(caption);
    buildMenus();
    buildControls();
    pages_->setCurrentWidget(pageAbout_);

    // A fixed client area, as the controls are placed by hand; the menu bar comes on top of it.
    centralWidget()->setFixedSize(588, 475);
    adjustSize();
    setFixedSize(sizeHint());
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

ScannerWindow::~ScannerWindow() = default;

void ScannerWindow::setProgramFolder(const QString& folder)
{
    if (auto* about = pageAbout_->findChild<QLabel*>(QStringLiteral("aboutText")))
        about->setText(aboutText + QStringLiteral("\n\nProgram folder: ") + QDir::toNativeSeparators(folder));
}

QFont ScannerWindow::smallControlFont()
{
    return fixedPitchFont(8);
}

void ScannerWindow::buildMenus()
{
    QMenu* mainMenu = menuBar()->addMenu(QStringLiteral("Main"));
    mainMenu->setObjectName(QStringLiteral("Main1"));
    QAction* import = mainMenu->addAction(QStringLiteral("Import ROM file"));
    import->setObjectName(QStringLiteral("ImportROMfile1"));
    connect(import, &QAction::triggered, this, &ScannerWindow::ImportROMfile1Click);
    QAction* exit = mainMenu->addAction(QStringLiteral("Exit"));
    exit->setObjectName(QStringLiteral("Exit1"));
    connect(exit, &QAction::triggered, this, &ScannerWindow::Exit1Click);

    QMenu* mapMenu = menuBar()->addMenu(QStringLiteral("Map"));
    mapMenu->setObjectName(QStringLiteral("Map1"));
    auto* sizes = new QActionGroup(this);
    sizes->setExclusive(true);
    size16_ = mapMenu->addAction(QStringLiteral("16x16"));
    size16_->setObjectName(QStringLiteral("N16x161"));
    size16_->setCheckable(true);
    size16_->setChecked(true);
    sizes->addAction(size16_);
    connect(size16_, &QAction::triggered, this, &ScannerWindow::N16x161Click);
    size8_ = mapMenu->addAction(QStringLiteral("8x8"));
    size8_->setObjectName(QStringLiteral("N8x81"));
    size8_->setCheckable(true);
    sizes->addAction(size8_);
    connect(size8_, &QAction::triggered, this, &ScannerWindow::N8x81Click);
    mapMenu->addSeparator();
    findMaps_ = mapMenu->addAction(QStringLiteral("Find maps"));
    findMaps_->setObjectName(QStringLiteral("FindMaps1"));
    findMaps_->setEnabled(false);
    connect(findMaps_, &QAction::triggered, this, &ScannerWindow::FindMaps1Click);
}

void ScannerWindow::buildControls()
{
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);
    const QFont small = smallControlFont();

    pages_ = new QTabWidget(client);
    pages_->setObjectName(QStringLiteral("PageControl1"));
    pages_->setGeometry(9, 6, 569, 425);

    page3d_ = new QWidget;
    page3d_->setObjectName(QStringLiteral("TabSheet1"));
    plot_ = new plot3d::SurfacePlot(page3d_);
    plot_->setObjectName(QStringLiteral("surfacePlot"));
    plot_->applyScannerDefaults();
    plot_->setGeometry(8, 4, 545, 385);
    plot_->setToolTip(QStringLiteral("left mouse to rotate, right mouse button to zoom"));
    pages_->addTab(page3d_, QStringLiteral("3D"));

    pageHex_ = new QWidget;
    pageHex_->setObjectName(QStringLiteral("TabSheet3"));
    listing_ = new QListWidget(pageHex_);
    listing_->setObjectName(QStringLiteral("lb1"));
    listing_->setFont(small);
    listing_->setGeometry(4, 2, 553, 185);
    graph_ = new graph2d::LineGraph(pageHex_);
    graph_->setObjectName(QStringLiteral("lineGraph"));
    graph_->applyScannerDefaults();
    graph_->setGeometry(4, 190, 553, 201);
    pages_->addTab(pageHex_, QStringLiteral("2D - HEX"));
    connect(listing_, &QListWidget::currentRowChanged, this, [this] {
        if (!rebuildingListing_)
            lb1Click();
    });

    pageAbout_ = new QWidget;
    pageAbout_->setObjectName(QStringLiteral("TabSheet2"));
    auto* about = new QLabel(aboutText, pageAbout_);
    about->setObjectName(QStringLiteral("aboutText"));
    about->setWordWrap(true);
    about->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    about->setGeometry(16, 12, 529, 300);
    auto* usage = new QLabel(QStringLiteral("<a href=\"usage\">How to use Skerrow</a>"), pageAbout_);
    usage->setObjectName(QStringLiteral("LinkLabel1"));
    usage->setGeometry(16, 320, 300, 20);
    auto* conversions =
        new QLabel(QStringLiteral("<a href=\"conversions\">What the conversions show</a>"), pageAbout_);
    conversions->setObjectName(QStringLiteral("LinkLabel2"));
    conversions->setGeometry(16, 346, 300, 20);
    // The links open help texts of the program itself; nothing leaves the machine.
    connect(usage, &QLabel::linkActivated, this, [this] { dialogs_->showMessage(this, usageText); });
    connect(conversions, &QLabel::linkActivated, this,
            [this] { dialogs_->showMessage(this, conversionText); });
    pages_->addTab(pageAbout_, QStringLiteral("ABOUT "));

    connect(pages_, &QTabWidget::currentChanged, this, [this](int index) {
        if (pages_->widget(index) == page3d_)
            TabSheet1Show();
        else if (pages_->widget(index) == pageHex_)
            TabSheet3Show();
    });

    const int rowTop = 440;
    auto makeButton = [&](const char* name, const QString& text, int left, void (ScannerWindow::*slot)()) {
        auto* button = new QPushButton(text, client);
        button->setObjectName(QLatin1String(name));
        button->setFont(small);
        button->setGeometry(left, rowTop, 31, 25);
        connect(button, &QPushButton::clicked, this, slot);
        return button;
    };
    makeButton("Button1", QStringLiteral("< "), 9, &ScannerWindow::Button1Click);
    makeButton("Button3", QStringLiteral("<<"), 43, &ScannerWindow::Button3Click);

    mode_ = new QComboBox(client);
    mode_->setObjectName(QStringLiteral("nn"));
    mode_->setFont(small);
    mode_->addItems({QStringLiteral("RAW DATA"), QStringLiteral("CONVERT TO AF RATIOS (FUEL)"),
                     QStringLiteral("CONVERT TO DEGREES (TIMING)")});
    mode_->setCurrentIndex(0);
    mode_->setGeometry(80, rowTop, 217, 25);
    // Only a choice of the user converts anew; the import's reset to raw does not refresh by itself.
    connect(mode_, &QComboBox::activated, this, &ScannerWindow::nnChange);

    auto* label = new QLabel(QStringLiteral("ADDRESS (HEX):"), client);
    label->setObjectName(QStringLiteral("Label1"));
    label->setFont(small);
    label->setGeometry(304, rowTop, 106, 25);
    label->setAlignment(Qt::AlignVCenter | Qt::AlignRight);

    address_ = new QLineEdit(QStringLiteral("----"), client);
    address_->setObjectName(QStringLiteral("adr"));
    address_->setFont(small);
    address_->setMaxLength(6);
    address_->setEnabled(false);
    address_->setGeometry(414, rowTop, 62, 25);
    connect(address_, &QLineEdit::returnPressed, this, &ScannerWindow::adrKeyDown);

    makeButton("Button4", QStringLiteral(">>"), 512, &ScannerWindow::Button4Click);
    makeButton("Button2", QStringLiteral(" >"), 547, &ScannerWindow::Button2Click);
}

int ScannerWindow::conversionMode() const
{
    return mode_->currentIndex();
}

bool ScannerWindow::listingShown() const
{
    return pages_->currentWidget() == pageHex_;
}

int ScannerWindow::graphRow() const
{
    const int selected = listing_->currentRow();
    return selected >= 0 && selected < table_.size ? selected : 0;
}

void ScannerWindow::showAddress(std::int64_t address)
{
    address_->setText(hexAddress(address));
}

void ScannerWindow::Grid()
{
    if (loaded_) {
        table_ = walk_.cut();
        const int mode = conversionMode();
        const int n = table_.size;
        std::array<double, TableCut::kMaxCells> values{};
        const ValueRanges current{plot_->rangeZLow(), plot_->rangeZHigh(), plot_->colorScaleLow(),
                                  plot_->colorScaleHigh()};
        const auto cells = std::span<const std::uint8_t>(table_.cells).first(static_cast<std::size_t>(n * n));
        const ValueRanges ranges = convertTable(cells, mode, values, current);
        if (mode >= 0 && mode <= 2) {
            // The order matters: each setter checks its value against the other end as it stands.
            const ValueRanges start = initialRanges(mode);
            plot_->setRangeZHigh(start.zHigh);
            plot_->setRangeZLow(start.zLow);
            plot_->setColorScaleHigh(start.colorHigh);
            plot_->setColorScaleLow(start.colorLow);
            if (ranges.zHigh != start.zHigh)
                plot_->setRangeZHigh(ranges.zHigh);
            if (ranges.zLow != start.zLow)
                plot_->setRangeZLow(ranges.zLow);
        }
        plot3d::DataMatrix* matrix = plot_->dataMatrix();
        for (int r = 0; r < n; ++r)
            for (int c = 1; c <= n; ++c)
                matrix->setElement(c, r + 1, values[static_cast<std::size_t>(r * n + c - 1)]);
        showAddress(walk_.address());
    }
    plot_->redraw();
    rebuildListing();
    feedGraph();
    if (loaded_ && listingShown())
        showAddress(table_.address + static_cast<std::int64_t>(graphRow()) * table_.size);
}

void ScannerWindow::rebuildListing()
{
    rebuildingListing_ = true;
    for (int r = 0; r < table_.size; ++r) {
        const QString line = QString::fromStdString(listingLine(table_, r));
        if (r < listing_->count())
            listing_->item(r)->setText(line);
        else if (r == listing_->count())
            listing_->addItem(line);
    }
    // With no line chosen yet (after an import or a size change) the first row is the one shown.
    if (listing_->currentRow() < 0 && listing_->count() > 0)
        listing_->setCurrentRow(0);
    rebuildingListing_ = false;
}

void ScannerWindow::feedGraph()
{
    if (graph_->seriesList().count() == 0)
        return;
    graph2d::PointSeries& series = graph_->series(0);
    const int n = table_.size;
    const int row = graphRow();
    for (int i = 1; i <= n; ++i)
        series.addPoint(i - 1, table_.cells[static_cast<std::size_t>(row * n + i - 1)]);
}

void ScannerWindow::loadFile(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        dialogs_->showMessage(this, QDir::toNativeSeparators(fileName) + QStringLiteral("\n\n") +
                                        file.errorString());
        return;
    }
    const qint64 size = file.size();
    if (!TableWalk::acceptsImageSize(size)) {
        // Checked before reading, so a huge file is never pulled into memory.
        dialogs_->showMessage(this, size == 0 ? QStringLiteral("The file is empty: there is nothing to scan.")
                                              : QStringLiteral("The file is larger than 16 MiB (16777216 "
                                                               "bytes), the most the scanner can walk."));
        return;
    }
    const QByteArray bytes = file.readAll();
    if (bytes.size() != size || file.error() != QFileDevice::NoError) {
        dialogs_->showMessage(this, QDir::toNativeSeparators(fileName) + QStringLiteral("\n\n") +
                                        file.errorString());
        return;
    }
    walk_.setImage(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    imageFile_ = fileName;

    loaded_ = true;
    findMaps_->setEnabled(true);
    plot_->dataMatrix()->resize(walk_.tableSize(), walk_.tableSize());
    address_->setEnabled(true);
    walk_.setAddress(0);
    graph_->setNumbVert(false);
    graph_->addSeries();
    graph_->series(0).setStyle(graph2d::SeriesStyle::JoinedLines);
    graph_->series(0).setColor(graph2d::colorBlack);
    graph_->setVisibleArea(0, 0, walk_.tableSize() - 1, 255);
    listing_->setCurrentRow(-1);
    Grid();
}

void ScannerWindow::ImportROMfile1Click()
{
    mode_->setCurrentIndex(0);
    walk_.setTableSize(16);
    // The menu shows the size in force.
    size16_->setChecked(true);
    loaded_ = false;
    findMaps_->setEnabled(false);
    const QString fileName = dialogs_->openImageFile(this);
    if (fileName.isEmpty())
        return;
    loadFile(fileName);
}

void ScannerWindow::Exit1Click()
{
    close();
}

void ScannerWindow::closeEvent(QCloseEvent* event)
{
    // The image is let go with the window.
    walk_.setImage({});
    loaded_ = false;
    QMainWindow::closeEvent(event);
}

void ScannerWindow::setTableSize(int n)
{
    walk_.setTableSize(n);
    walk_.setAddress(0);
    (n == 8 ? size8_ : size16_)->setChecked(true);
    plot_->dataMatrix()->resize(n, n);
    graph_->setVisibleArea(0, 0, n - 1, 255);
    rebuildingListing_ = true;
    listing_->clear();
    rebuildingListing_ = false;
}

void ScannerWindow::N16x161Click()
{
    setTableSize(16);
    Grid();
}

void ScannerWindow::N8x81Click()
{
    setTableSize(8);
    Grid();
}

void ScannerWindow::FindMaps1Click()
{
    if (!loaded_) {
        dialogs_->showMessage(this, QStringLiteral("Import a ROM file first."));
        return;
    }
    // A large image takes a noticeable moment to score; the pointer says so.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::vector<MapCandidate> candidates = findMaps(walk_.image());
    QApplication::restoreOverrideCursor();
    if (candidates.empty()) {
        dialogs_->showMessage(this,
                              QStringLiteral("No table in this image looks like a fuel or timing map."));
        return;
    }
    const ScannedImage image{imageFile_, static_cast<std::int64_t>(walk_.image().size())};
    const int chosen = dialogs_->chooseMapCandidate(this, candidates, image);
    if (chosen < 0 || chosen >= static_cast<int>(candidates.size()))
        return;
    const MapCandidate& place = candidates[static_cast<std::size_t>(chosen)];
    // A map is best seen at its own size, so an 8x8 find switches the table size too.
    if (place.size != walk_.tableSize())
        setTableSize(place.size);
    walk_.setAddress(place.address);
    Grid();
}

void ScannerWindow::Button1Click()
{
    walk_.stepBack();
    Grid();
}

void ScannerWindow::Button2Click()
{
    walk_.stepForward();
    Grid();
}

void ScannerWindow::Button3Click()
{
    walk_.jumpBack();
    Grid();
}

void ScannerWindow::Button4Click()
{
    walk_.jumpForward();
    Grid();
}

void ScannerWindow::adrKeyDown()
{
    if (walk_.enterAddress(address_->text().toStdString()) == AddressEntry::NotHexadecimal) {
        dialogs_->showMessage(this, QStringLiteral("Not a valid hexidecimal number"));
        return;
    }
    // On the hex page the box shows the chosen row's address, yet the typed text is where the table
    // starts. Choosing the first row again makes the box show that address, so a second Enter on the
    // same text leaves the table where it is instead of adding the row's offset once more.
    if (listingShown() && listing_->count() > 0) {
        rebuildingListing_ = true;
        listing_->setCurrentRow(0);
        rebuildingListing_ = false;
    }
    Grid();
}

void ScannerWindow::nnChange()
{
    Grid();
}

void ScannerWindow::lb1Click()
{
    graph_->update();
    feedGraph();
    if (loaded_ && listingShown())
        showAddress(table_.address + static_cast<std::int64_t>(graphRow()) * table_.size);
}

void ScannerWindow::TabSheet1Show()
{
    if (loaded_)
        showAddress(walk_.address());
    mode_->setEnabled(true);
}

void ScannerWindow::TabSheet3Show()
{
    // The listing and the graph show raw bytes whatever the conversion, so the box rests here.
    mode_->setEnabled(false);
    if (loaded_)
        showAddress(table_.address + static_cast<std::int64_t>(graphRow()) * table_.size);
}

} // namespace skerrow
