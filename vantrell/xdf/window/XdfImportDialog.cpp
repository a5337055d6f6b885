#include "vantrell/xdf/window/XdfImportDialog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace vantrell::xdf {

namespace {

enum Column { KeyColumn = 0, ValueColumn, CertainColumn, SourceColumn, ColumnCount };

// Guesses are tinted so that the user's eye goes to them; keys the editor cannot do without and that
// have no value are tinted stronger.
const QColor kGuessTint(255, 243, 205);
const QColor kMissingTint(248, 215, 218);

QTableWidgetItem* fixedItem(const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    return item;
}

} // namespace

XdfImportDialog::XdfImportDialog(const QString& programFolder, XdfImportDialogs& dialogs, QWidget* parent)
    : QDialog(parent), programFolder_(programFolder), dialogs_(dialogs)
{
    setObjectName(QStringLiteral("xdf_import_dialog"));
    setWindowTitle(QStringLiteral("Import XDF Definition"));

    auto* files = new QGridLayout;
    const auto fileRow = [&](int row, const QString& label, const char* name, XdfImportDialogs::FileKind kind,
                             const QString& folder) {
        auto* entry = new QLineEdit(this);
        entry->setObjectName(QLatin1String(name) + QStringLiteral("_entry"));
        auto* button = new QPushButton(QStringLiteral("Browse..."), this);
        button->setObjectName(QLatin1String(name) + QStringLiteral("_browse"));
        files->addWidget(new QLabel(label, this), row, 0);
        files->addWidget(entry, row, 1);
        files->addWidget(button, row, 2);
        connect(button, &QPushButton::clicked, this, [=, this] { browse(kind, entry, folder); });
        return entry;
    };
    const QString config = QDir(programFolder_).filePath(QStringLiteral("config"));
    xdfEntry_ =
        fileRow(0, QStringLiteral("XDF file"), "xdf_file", XdfImportDialogs::FileKind::Xdf, programFolder_);
    imageEntry_ = fileRow(1, QStringLiteral("ROM image"), "image_file", XdfImportDialogs::FileKind::Image,
                          QDir(programFolder_).filePath(QStringLiteral("data")));
    baseEntry_ = fileRow(2, QStringLiteral("Engine facts from"), "base_file",
                         XdfImportDialogs::FileKind::Definition, config);
    baseEntry_->setPlaceholderText(
        QStringLiteral("a definition of this engine (optional: else enter them below)"));
    auto* read = new QPushButton(QStringLiteral("Read"), this);
    read->setObjectName(QStringLiteral("import_read"));
    files->addWidget(read, 3, 2);
    connect(read, &QPushButton::clicked, this, [this] { readFiles(); });

    keys_ = new QTableWidget(0, ColumnCount, this);
    keys_->setObjectName(QStringLiteral("import_keys"));
    keys_->setHorizontalHeaderLabels({QStringLiteral("Key"), QStringLiteral("Value"),
                                      QStringLiteral("Certain"), QStringLiteral("Source")});
    keys_->verticalHeader()->hide();
    keys_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    keys_->horizontalHeader()->setStretchLastSection(true);
    keys_->setSelectionBehavior(QAbstractItemView::SelectRows);
    connect(keys_, &QTableWidget::itemChanged, this, &XdfImportDialog::keyEdited);

    lines_ = new QPlainTextEdit(this);
    lines_->setObjectName(QStringLiteral("import_lines"));
    lines_->setReadOnly(true);
    lines_->setMaximumHeight(110);
    lines_->setPlaceholderText(QStringLiteral("What the definition cannot hold, or holds only in part"));

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("import_status"));
    save_ = new QPushButton(QStringLiteral("Save..."), this);
    save_->setObjectName(QStringLiteral("import_save"));
    save_->setEnabled(false);
    connect(save_, &QPushButton::clicked, this, [this] { save(); });
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("import_close"));
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(status_, 1);
    buttons->addWidget(save_);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(files);
    layout->addWidget(keys_, 1);
    layout->addWidget(lines_);
    layout->addLayout(buttons);
    resize(820, 640);
}

QString XdfImportDialog::importDefinition(QWidget* parent, const QString& programFolder)
{
    QtXdfImportDialogs dialogs;
    XdfImportDialog dialog(programFolder, dialogs, parent);
    dialog.exec();
    return dialog.savedPath();
}

void XdfImportDialog::browse(XdfImportDialogs::FileKind kind, QLineEdit* entry, const QString& folder)
{
    const QString start = entry->text().isEmpty() ? folder : QFileInfo(entry->text()).absolutePath();
    const QString path = dialogs_.openFile(this, kind, start);
    if (!path.isEmpty())
        entry->setText(path);
}

bool XdfImportDialog::readFiles()
{
    result_ = {};
    savedPath_.clear();
    status_->clear();
    const auto fail = [this](const QString& line) {
        lines_->setPlainText(line);
        fillKeys();
        return false;
    };
    const QString xdfPath = xdfEntry_->text().trimmed();
    const QString imagePath = imageEntry_->text().trimmed();
    if (xdfPath.isEmpty() || imagePath.isEmpty())
        return fail(QStringLiteral("Choose an XDF file and the ROM image it describes."));
    const XdfRead xdf = readXdfFile(xdfPath);
    if (!xdf.ok)
        return fail(
            QStringLiteral("%1 cannot be read: %2").arg(QDir::toNativeSeparators(xdfPath), xdf.error));
    QFile imageFile(imagePath);
    if (!imageFile.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("%1 cannot be read: %2")
                        .arg(QDir::toNativeSeparators(imagePath), imageFile.errorString()));
    const QByteArray image = imageFile.readAll();
    std::optional<EngineFacts> facts;
    if (!baseEntry_->text().trimmed().isEmpty()) {
        QString problem;
        facts = readEngineFacts(baseEntry_->text().trimmed(), problem);
        if (!facts)
            return fail(problem);
    }
    result_ = importXdf(xdf.document, image, facts, QFileInfo(imagePath).fileName());
    QStringList lines;
    for (const QString& l : result_.refused)
        lines << QStringLiteral("Refused: ") + l;
    for (const QString& l : result_.partial)
        lines << QStringLiteral("In part: ") + l;
    lines_->setPlainText(lines.join(QLatin1Char('\n')));
    fillKeys();
    showCounts();
    return true;
}

void XdfImportDialog::showCounts()
{
    const auto guesses = std::count_if(result_.keys.begin(), result_.keys.end(),
                                       [](const DefinitionKey& k) { return !k.certain; });
    const QStringList problems = result_.problems();
    status_->setText(QStringLiteral("%1 keys, %2 of them guesses%3")
                         .arg(result_.keys.size())
                         .arg(guesses)
                         .arg(problems.isEmpty()
                                  ? QStringLiteral(".")
                                  : QStringLiteral("; %1 to fill in before saving.").arg(problems.size())));
}

void XdfImportDialog::fillKeys()
{
    filling_ = true;
    keys_->setRowCount(static_cast<int>(result_.keys.size()));
    for (int row = 0; row < keys_->rowCount(); ++row) {
        const DefinitionKey& k = result_.keys[static_cast<std::size_t>(row)];
        QTableWidgetItem* key = fixedItem(k.key);
        key->setToolTip(QStringLiteral("[%1]").arg(k.section));
        keys_->setItem(row, KeyColumn, key);
        keys_->setItem(row, ValueColumn, new QTableWidgetItem(k.value));
        keys_->setItem(row, CertainColumn, fixedItem({}));
        keys_->setItem(row, SourceColumn, fixedItem({}));
        showRow(row);
    }
    keys_->resizeColumnToContents(KeyColumn);
    keys_->setColumnWidth(ValueColumn, 150);
    keys_->resizeColumnToContents(CertainColumn);
    filling_ = false;
    save_->setEnabled(!result_.keys.empty());
}

void XdfImportDialog::showRow(int row)
{
    const DefinitionKey& k = result_.keys[static_cast<std::size_t>(row)];
    const bool missing = result_.missing().contains(k.key);
    keys_->item(row, CertainColumn)->setText(k.certain ? QStringLiteral("certain") : QStringLiteral("guess"));
    keys_->item(row, SourceColumn)->setText(k.source);
    keys_->item(row, SourceColumn)->setToolTip(k.source);
    const QBrush tint = missing ? QBrush(kMissingTint) : k.certain ? QBrush() : QBrush(kGuessTint);
    for (int column = 0; column < ColumnCount; ++column)
        keys_->item(row, column)->setBackground(tint);
}

void XdfImportDialog::keyEdited(QTableWidgetItem* item)
{
    if (filling_ || item->column() != ValueColumn)
        return;
    DefinitionKey& k = result_.keys[static_cast<std::size_t>(item->row())];
    if (item->text() == k.value)
        return;
    k.value = item->text().trimmed();
    k.source = QStringLiteral("entered by the user");
    k.certain = true;
    filling_ = true;
    showRow(item->row());
    filling_ = false;
    showCounts();
}

bool XdfImportDialog::save()
{
    const QStringList problems = result_.problems();
    if (result_.keys.empty() || !problems.isEmpty()) {
        dialogs_.showMessage(this,
                             QStringLiteral("The editor could not load this definition:\n%1\n\nEnter the "
                                            "values in the list, or choose another XDF.")
                                 .arg(result_.keys.empty() ? QStringLiteral("it has no maps")
                                                           : problems.join(QLatin1Char('\n'))));
        return false;
    }
    const QDir config(QDir(programFolder_).filePath(QStringLiteral("config")));
    const QString name = QFileInfo(xdfEntry_->text().trimmed()).completeBaseName();
    const QString path = dialogs_.saveDefinitionFile(
        this, config.filePath((name.isEmpty() ? QStringLiteral("imported") : name) + QStringLiteral(".ini")));
    if (path.isEmpty())
        return false;
    const QString origin = QStringLiteral("%1 for the image %2")
                               .arg(QFileInfo(xdfEntry_->text().trimmed()).fileName(),
                                    QFileInfo(imageEntry_->text().trimmed()).fileName());
    QString error;
    if (!saveDefinition(path, definitionText(result_.keys, origin), error)) {
        dialogs_.showMessage(this, QDir::toNativeSeparators(path) + QStringLiteral("\n\n") + error);
        return false;
    }
    savedPath_ = path;
    status_->setText(QStringLiteral("Saved ") + QDir::toNativeSeparators(path));
    emit definitionSaved(path);
    return true;
}

} // namespace vantrell::xdf
