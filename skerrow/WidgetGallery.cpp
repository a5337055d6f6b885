// Renders the surface plot and the line graph with the scanner's settings, and the scanner window on
// each of its pages, to PNG files in the folder named on the command line:
//   widget-gallery <folder> [<ROM image> <hex address>]
// The tables come from our own synthetic ROM image (a smooth fuel map among code-like bytes). Given
// a ROM image and an address as well, it also shows the scanner's 3D page after importing that
// image and typing that address ("scanner-<address>.png"), as a user would see it. The README's
// picture of the scanner, docs/skerrow.png, is scanner-7000.png of demo/data/demo.bin.
#include "FindMapsDialog.h"
#include "MapFinder.h"
#include "ScannerWindow.h"
#include "SyntheticImages.h"

#include "graph2d/LineGraph.h"
#include "plot3d/SurfacePlot.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTabWidget>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace {

// Answers the window's file dialog with one fixed file and swallows its messages.
class FixedAnswers : public skerrow::ScannerDialogs
{
  public:
    explicit FixedAnswers(QString file) : file_(std::move(file)) {}
    QString openImageFile(QWidget*) override { return file_; }
    void showMessage(QWidget*, const QString& text) override
    {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
    int chooseMapCandidate(QWidget*, const std::vector<skerrow::MapCandidate>&,
                           const skerrow::ScannedImage&) override
    {
        return 0;
    }
    QString saveDefinitionFile(QWidget*, const QString&) override { return {}; }

  private:
    QString file_;
};

bool save(const QImage& image, const QDir& folder, const QString& name)
{
    const QString path = folder.filePath(name);
    if (!image.save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

void fillPlot(plot3d::SurfacePlot& plot, const std::vector<std::uint8_t>& image, std::size_t address)
{
    plot.dataMatrix()->resize(16, 16);
    plot.setRangeZHigh(255);
    plot.setRangeZLow(0);
    plot.setColorScaleHigh(255);
    plot.setColorScaleLow(0);
    for (int r = 0; r < 16; ++r)
        for (int c = 1; c <= 16; ++c)
            plot.dataMatrix()->setElement(c, r + 1,
                                          image[address + static_cast<std::size_t>(r * 16 + c - 1)]);
    plot.redraw();
}

} // namespace

int main(int argc, char** argv)
{
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2 && argc != 4) {
        std::fprintf(stderr,
                     "usage: widget-gallery <folder for the PNG files> [<ROM image> <hex address>]\n");
        return 2;
    }
    QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "cannot make %s\n", argv[1]);
        return 1;
    }
    const std::vector<std::uint8_t> image = skerrow::synthetic::plantedImage();
    bool ok = true;

    // The widgets on their own, as the scanner sets them up.
    plot3d::SurfacePlot plot;
    plot.applyScannerDefaults();
    fillPlot(plot, image, 0x1235);
    ok &= save(plot.grab().toImage(), folder, QStringLiteral("surface-fuel-map-raw.png"));
    fillPlot(plot, image, 0x0400);
    ok &= save(plot.grab().toImage(), folder, QStringLiteral("surface-code-raw.png"));

    graph2d::LineGraph graph;
    graph.applyScannerDefaults();
    graph.resize(553, 201);
    graph.setNumbVert(false);
    graph.addSeries();
    graph.series(0).setColor(graph2d::colorBlack);
    graph.setVisibleArea(0, 0, 15, 255);
    for (int i = 0; i < 16; ++i)
        graph.series(0).addPoint(i, image[0x1235 + 5 * 16 + static_cast<std::size_t>(i)]);
    ok &= save(graph.grab().toImage(), folder, QStringLiteral("graph-fuel-map-row.png"));

    FixedAnswers quiet{QString()};
    skerrow::FindMapsDialog finds(skerrow::findMaps(image),
                                  {QStringLiteral("planted.bin"), static_cast<std::int64_t>(image.size())},
                                  quiet);
    finds.show();
    QApplication::processEvents();
    ok &= save(finds.grab().toImage(), folder, QStringLiteral("find-maps-dialog.png"));
    finds.hide();

    // The whole window after importing the image, on each page and in each conversion.
    QTemporaryDir work;
    const QString romPath = work.filePath(QStringLiteral("planted.bin"));
    QFile rom(romPath);
    if (!rom.open(QIODevice::WriteOnly) ||
        rom.write(reinterpret_cast<const char*>(image.data()), static_cast<qint64>(image.size())) !=
            static_cast<qint64>(image.size())) {
        std::fprintf(stderr, "cannot write the sample image\n");
        return 1;
    }
    rom.close();
    skerrow::ScannerWindow window(std::make_unique<FixedAnswers>(romPath));
    window.show();
    auto* pages = window.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    auto* mode = window.findChild<QComboBox*>(QStringLiteral("nn"));
    ok &= save(window.grab().toImage(), folder, QStringLiteral("window-about.png"));
    window.ImportROMfile1Click();
    window.FindMaps1Click(); // jumps to the best candidate
    pages->setCurrentIndex(0);
    QApplication::processEvents();
    ok &= save(window.grab().toImage(), folder, QStringLiteral("window-3d-raw.png"));
    mode->setCurrentIndex(1);
    window.nnChange();
    QApplication::processEvents();
    ok &= save(window.grab().toImage(), folder, QStringLiteral("window-3d-airfuel.png"));
    mode->setCurrentIndex(2);
    window.nnChange();
    QApplication::processEvents();
    ok &= save(window.grab().toImage(), folder, QStringLiteral("window-3d-timing.png"));
    pages->setCurrentIndex(1);
    QApplication::processEvents();
    ok &= save(window.grab().toImage(), folder, QStringLiteral("window-2d-hex.png"));
    window.N8x81Click();
    QApplication::processEvents();
    ok &= save(window.grab().toImage(), folder, QStringLiteral("window-2d-hex-8x8.png"));

    if (argc == 4) {
        const QString address = QString::fromLocal8Bit(argv[3]);
        skerrow::ScannerWindow scanner(std::make_unique<FixedAnswers>(QString::fromLocal8Bit(argv[2])));
        scanner.show();
        scanner.ImportROMfile1Click();
        if (!scanner.isLoaded())
            return 1;
        scanner.findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(0);
        auto* adr = scanner.findChild<QLineEdit*>(QStringLiteral("adr"));
        adr->setText(address);
        scanner.adrKeyDown();
        adr->clearFocus();
        QApplication::processEvents();
        ok &= save(scanner.grab().toImage(), folder, QStringLiteral("scanner-%1.png").arg(address.toUpper()));
    }
    return ok ? 0 : 1;
}
