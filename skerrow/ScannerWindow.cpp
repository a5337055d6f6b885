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
    "and timing maps are kept. It only reads the image: it never changes or writes a file.</p>"
    "<p>Load an image with <i>Main &gt; Import ROM file</i>. The image is cut into square tables of "
    "16 by 16 bytes (8 by 8 from the <i>Map</i> menu) starting at the address in the box below. "
    "&lsquo;&lt; &rsquo; and &lsquo; &gt;&rsquo; move one table, &lsquo;&lt;&lt;&rsquo; and "
    "&lsquo;&gt;&gt;&rsquo; move 4096 bytes, and a hexadecimal address typed into the box and "
    "confirmed with Enter jumps there.</p>"
    "<p>On the <i>3D</i> page a map shows as a smooth slope, code and text as a jagged field. Choose "
    "a conversion to see the bytes as air/fuel ratios or as timing degrees. The <i>2D - HEX</i> page "
    "lists the bytes of each row; click a row to plot it underneath. <i>Map &gt; Find maps</i> lists "
    "the twenty tables that look most like maps.</p>");

const QString usageText = QStringLiteral(
    "1. Main > Import ROM file: choose the image (any file; up to 16 MiB).\n"
    "2. Walk it: \"< \" and \" >\" by one table, \"<<\" and \">>\" by 4096 bytes, or type an address in "
    "hexadecimal and press Enter.\n"
    "3. Map > 16x16 or 8x8 sets the table size; it starts again at address 0.\n"
    "4. Map > Find maps lists the likeliest places; choose one to jump there.\n"
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
    : QMainWindow(parent), m_dialogs(std::move(dialogs))
{
    if (!m_dialogs)
        m_dialogs = std::make_unique<DefaultScannerDialogs>();
    setObjectName(QStringLiteral("ScannerWindow"));
    setWindowTitle(caption);
    buildMenus();
    buildControls();
    m_pages->setCurrentWidget(m_pageAbout);

    // A fixed client area, as the controls are placed by hand; the menu bar comes on top of it.
    centralWidget()->setFixedSize(588, 475);
    adjustSize();
    setFixedSize(sizeHint());
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

ScannerWindow::~ScannerWindow() = default;

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
    m_size16 = mapMenu->addAction(QStringLiteral("16x16"));
    m_size16->setObjectName(QStringLiteral("N16x161"));
    m_size16->setCheckable(true);
    m_size16->setChecked(true);
    sizes->addAction(m_size16);
    connect(m_size16, &QAction::triggered, this, &ScannerWindow::N16x161Click);
    m_size8 = mapMenu->addAction(QStringLiteral("8x8"));
    m_size8->setObjectName(QStringLiteral("N8x81"));
    m_size8->setCheckable(true);
    sizes->addAction(m_size8);
    connect(m_size8, &QAction::triggered, this, &ScannerWindow::N8x81Click);
    mapMenu->addSeparator();
    m_findMaps = mapMenu->addAction(QStringLiteral("Find maps"));
    m_findMaps->setObjectName(QStringLiteral("FindMaps1"));
    m_findMaps->setEnabled(false);
    connect(m_findMaps, &QAction::triggered, this, &ScannerWindow::FindMaps1Click);
}

void ScannerWindow::buildControls()
{
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);
    const QFont small = smallControlFont();

    m_pages = new QTabWidget(client);
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    m_pages->setGeometry(9, 6, 569, 425);

    m_page3d = new QWidget;
    m_page3d->setObjectName(QStringLiteral("TabSheet1"));
    m_plot = new plot3d::SurfacePlot(m_page3d);
    m_plot->setObjectName(QStringLiteral("surfacePlot"));
    m_plot->applyScannerDefaults();
    m_plot->setGeometry(8, 4, 545, 385);
    m_plot->setToolTip(QStringLiteral("left mouse to rotate, right mouse button to zoom"));
    m_pages->addTab(m_page3d, QStringLiteral("3D"));

    m_pageHex = new QWidget;
    m_pageHex->setObjectName(QStringLiteral("TabSheet3"));
    m_listing = new QListWidget(m_pageHex);
    m_listing->setObjectName(QStringLiteral("lb1"));
    m_listing->setFont(small);
    m_listing->setGeometry(4, 2, 553, 185);
    m_graph = new graph2d::LineGraph(m_pageHex);
    m_graph->setObjectName(QStringLiteral("lineGraph"));
    m_graph->applyScannerDefaults();
    m_graph->setGeometry(4, 190, 553, 201);
    m_pages->addTab(m_pageHex, QStringLiteral("2D - HEX"));
    connect(m_listing, &QListWidget::currentRowChanged, this, [this] {
        if (!m_rebuildingListing)
            lb1Click();
    });

    m_pageAbout = new QWidget;
    m_pageAbout->setObjectName(QStringLiteral("TabSheet2"));
    auto* about = new QLabel(aboutText, m_pageAbout);
    about->setObjectName(QStringLiteral("aboutText"));
    about->setWordWrap(true);
    about->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    about->setGeometry(16, 12, 529, 300);
    auto* usage = new QLabel(QStringLiteral("<a href=\"usage\">How to use Skerrow</a>"), m_pageAbout);
    usage->setObjectName(QStringLiteral("LinkLabel1"));
    usage->setGeometry(16, 320, 300, 20);
    auto* conversions =
        new QLabel(QStringLiteral("<a href=\"conversions\">What the conversions show</a>"), m_pageAbout);
    conversions->setObjectName(QStringLiteral("LinkLabel2"));
    conversions->setGeometry(16, 346, 300, 20);
    // The links open help texts of the program itself; nothing leaves the machine.
    connect(usage, &QLabel::linkActivated, this, [this] { m_dialogs->showMessage(this, usageText); });
    connect(conversions, &QLabel::linkActivated, this,
            [this] { m_dialogs->showMessage(this, conversionText); });
    m_pages->addTab(m_pageAbout, QStringLiteral("ABOUT "));

    connect(m_pages, &QTabWidget::currentChanged, this, [this](int index) {
        if (m_pages->widget(index) == m_page3d)
            TabSheet1Show();
        else if (m_pages->widget(index) == m_pageHex)
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

    m_mode = new QComboBox(client);
    m_mode->setObjectName(QStringLiteral("nn"));
    m_mode->setFont(small);
    m_mode->addItems({QStringLiteral("RAW DATA"), QStringLiteral("CONVERT TO AF RATIOS (FUEL)"),
                      QStringLiteral("CONVERT TO DEGREES (TIMING)")});
    m_mode->setCurrentIndex(0);
    m_mode->setGeometry(80, rowTop, 217, 25);
    // Only a choice of the user converts anew; the import's reset to raw does not refresh by itself.
    connect(m_mode, &QComboBox::activated, this, &ScannerWindow::nnChange);

    auto* label = new QLabel(QStringLiteral("ADDRESS (HEX):"), client);
    label->setObjectName(QStringLiteral("Label1"));
    label->setFont(small);
    label->setGeometry(304, rowTop, 106, 25);
    label->setAlignment(Qt::AlignVCenter | Qt::AlignRight);

    m_address = new QLineEdit(QStringLiteral("----"), client);
    m_address->setObjectName(QStringLiteral("adr"));
    m_address->setFont(small);
    m_address->setMaxLength(6);
    m_address->setEnabled(false);
    m_address->setGeometry(414, rowTop, 62, 25);
    connect(m_address, &QLineEdit::returnPressed, this, &ScannerWindow::adrKeyDown);

    makeButton("Button4", QStringLiteral(">>"), 512, &ScannerWindow::Button4Click);
    makeButton("Button2", QStringLiteral(" >"), 547, &ScannerWindow::Button2Click);
}

int ScannerWindow::conversionMode() const
{
    return m_mode->currentIndex();
}

bool ScannerWindow::listingShown() const
{
    return m_pages->currentWidget() == m_pageHex;
}

int ScannerWindow::graphRow() const
{
    const int selected = m_listing->currentRow();
    return selected >= 0 && selected < m_table.size ? selected : 0;
}

void ScannerWindow::showAddress(std::int64_t address)
{
    m_address->setText(hexAddress(address));
}

void ScannerWindow::Grid()
{
    if (m_loaded) {
        m_table = m_walk.cut();
        const int mode = conversionMode();
        const int n = m_table.size;
        std::array<double, TableCut::maxCells> values{};
        const ValueRanges current{m_plot->rangeZLow(), m_plot->rangeZHigh(), m_plot->colorScaleLow(),
                                  m_plot->colorScaleHigh()};
        const auto cells =
            std::span<const std::uint8_t>(m_table.cells).first(static_cast<std::size_t>(n * n));
        const ValueRanges ranges = convertTable(cells, mode, values, current);
        if (mode >= 0 && mode <= 2) {
            // The order matters: each setter checks its value against the other end as it stands.
            const ValueRanges start = initialRanges(mode);
            m_plot->setRangeZHigh(start.zHigh);
            m_plot->setRangeZLow(start.zLow);
            m_plot->setColorScaleHigh(start.colorHigh);
            m_plot->setColorScaleLow(start.colorLow);
            if (ranges.zHigh != start.zHigh)
                m_plot->setRangeZHigh(ranges.zHigh);
            if (ranges.zLow != start.zLow)
                m_plot->setRangeZLow(ranges.zLow);
        }
        plot3d::DataMatrix* matrix = m_plot->dataMatrix();
        for (int r = 0; r < n; ++r)
            for (int c = 1; c <= n; ++c)
                matrix->setElement(c, r + 1, values[static_cast<std::size_t>(r * n + c - 1)]);
        showAddress(m_walk.address());
    }
    m_plot->redraw();
    rebuildListing();
    feedGraph();
    if (m_loaded && listingShown())
        showAddress(m_table.address + static_cast<std::int64_t>(graphRow()) * m_table.size);
}

void ScannerWindow::rebuildListing()
{
    m_rebuildingListing = true;
    for (int r = 0; r < m_table.size; ++r) {
        const QString line = QString::fromStdString(listingLine(m_table, r));
        if (r < m_listing->count())
            m_listing->item(r)->setText(line);
        else if (r == m_listing->count())
            m_listing->addItem(line);
    }
    // With no line chosen yet (after an import or a size change) the first row is the one shown.
    if (m_listing->currentRow() < 0 && m_listing->count() > 0)
        m_listing->setCurrentRow(0);
    m_rebuildingListing = false;
}

void ScannerWindow::feedGraph()
{
    if (m_graph->seriesList().count() == 0)
        return;
    graph2d::PointSeries& series = m_graph->series(0);
    const int n = m_table.size;
    const int row = graphRow();
    for (int i = 1; i <= n; ++i)
        series.addPoint(i - 1, m_table.cells[static_cast<std::size_t>(row * n + i - 1)]);
}

void ScannerWindow::loadFile(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        m_dialogs->showMessage(this, QDir::toNativeSeparators(fileName) + QStringLiteral("\n\n") +
                                         file.errorString());
        return;
    }
    const qint64 size = file.size();
    if (!TableWalk::acceptsImageSize(size)) {
        // Checked before reading, so a huge file is never pulled into memory.
        m_dialogs->showMessage(this, size == 0
                                         ? QStringLiteral("The file is empty: there is nothing to scan.")
                                         : QStringLiteral("The file is larger than 16 MiB (16777216 "
                                                          "bytes), the most the scanner can walk."));
        return;
    }
    const QByteArray bytes = file.readAll();
    if (bytes.size() != size || file.error() != QFileDevice::NoError) {
        m_dialogs->showMessage(this, QDir::toNativeSeparators(fileName) + QStringLiteral("\n\n") +
                                         file.errorString());
        return;
    }
    m_walk.setImage(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));

    m_loaded = true;
    m_findMaps->setEnabled(true);
    m_plot->dataMatrix()->resize(m_walk.tableSize(), m_walk.tableSize());
    m_address->setEnabled(true);
    m_walk.setAddress(0);
    m_graph->setNumbVert(false);
    m_graph->addSeries();
    m_graph->series(0).setStyle(graph2d::SeriesStyle::JoinedLines);
    m_graph->series(0).setColor(graph2d::colorBlack);
    m_graph->setVisibleArea(0, 0, m_walk.tableSize() - 1, 255);
    m_listing->setCurrentRow(-1);
    Grid();
}

void ScannerWindow::ImportROMfile1Click()
{
    m_mode->setCurrentIndex(0);
    m_walk.setTableSize(16);
    // The menu shows the size in force.
    m_size16->setChecked(true);
    m_loaded = false;
    m_findMaps->setEnabled(false);
    const QString fileName = m_dialogs->openImageFile(this);
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
    m_walk.setImage({});
    m_loaded = false;
    QMainWindow::closeEvent(event);
}

void ScannerWindow::setTableSize(int n)
{
    m_walk.setTableSize(n);
    m_walk.setAddress(0);
    (n == 8 ? m_size8 : m_size16)->setChecked(true);
    m_plot->dataMatrix()->resize(n, n);
    m_graph->setVisibleArea(0, 0, n - 1, 255);
    m_rebuildingListing = true;
    m_listing->clear();
    m_rebuildingListing = false;
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
    if (!m_loaded) {
        m_dialogs->showMessage(this, QStringLiteral("Import a ROM file first."));
        return;
    }
    // A large image takes a noticeable moment to score; the pointer says so.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::vector<MapCandidate> candidates = findMaps(m_walk.image());
    QApplication::restoreOverrideCursor();
    if (candidates.empty()) {
        m_dialogs->showMessage(this,
                               QStringLiteral("No table in this image looks like a fuel or timing map."));
        return;
    }
    const int chosen = m_dialogs->chooseMapCandidate(this, candidates);
    if (chosen < 0 || chosen >= static_cast<int>(candidates.size()))
        return;
    const MapCandidate& place = candidates[static_cast<std::size_t>(chosen)];
    // A map is best seen at its own size, so an 8x8 find switches the table size too.
    if (place.size != m_walk.tableSize())
        setTableSize(place.size);
    m_walk.setAddress(place.address);
    Grid();
}

void ScannerWindow::Button1Click()
{
    m_walk.stepBack();
    Grid();
}

void ScannerWindow::Button2Click()
{
    m_walk.stepForward();
    Grid();
}

void ScannerWindow::Button3Click()
{
    m_walk.jumpBack();
    Grid();
}

void ScannerWindow::Button4Click()
{
    m_walk.jumpForward();
    Grid();
}

void ScannerWindow::adrKeyDown()
{
    if (m_walk.enterAddress(m_address->text().toStdString()) == AddressEntry::NotHexadecimal) {
        m_dialogs->showMessage(this, QStringLiteral("Not a valid hexidecimal number"));
        return;
    }
    // On the hex page the box shows the chosen row's address, yet the typed text is where the table
    // starts. Choosing the first row again makes the box show that address, so a second Enter on the
    // same text leaves the table where it is instead of adding the row's offset once more.
    if (listingShown() && m_listing->count() > 0) {
        m_rebuildingListing = true;
        m_listing->setCurrentRow(0);
        m_rebuildingListing = false;
    }
    Grid();
}

void ScannerWindow::nnChange()
{
    Grid();
}

void ScannerWindow::lb1Click()
{
    m_graph->update();
    feedGraph();
    if (m_loaded && listingShown())
        showAddress(m_table.address + static_cast<std::int64_t>(graphRow()) * m_table.size);
}

void ScannerWindow::TabSheet1Show()
{
    if (m_loaded)
        showAddress(m_walk.address());
    m_mode->setEnabled(true);
}

void ScannerWindow::TabSheet3Show()
{
    // The listing and the graph show raw bytes whatever the conversion, so the box rests here.
    m_mode->setEnabled(false);
    if (m_loaded)
        showAddress(m_table.address + static_cast<std::int64_t>(graphRow()) * m_table.size);
}

} // namespace skerrow
