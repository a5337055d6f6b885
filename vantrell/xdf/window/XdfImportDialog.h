// "Import XDF Definition...": the user picks an XDF, the ROM image it describes and, for the engine's
// facts, a definition of ours; the dialog lists every key of the resulting engine definition with where
// it came from and whether it is certain or a guess, lets the user change any value, and saves the
// definition (into the config folder unless the user picks another place).
#pragma once

#include "vantrell/xdf/XdfImport.h"
#include "vantrell/xdf/window/XdfImportDialogs.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;

namespace vantrell::xdf {

class XdfImportDialog : public QDialog
{
    Q_OBJECT

  public:
    // `programFolder` holds config/ (where definitions are saved) and data/ (ROM images). The dialogs
    // object must outlive the dialog.
    XdfImportDialog(const QString& programFolder, XdfImportDialogs& dialogs, QWidget* parent = nullptr);

    // The one call for a menu item: shows the dialog modal to `parent` with the desktop's file dialogs
    // and returns the path of the definition saved, or an empty text when none was.
    static QString importDefinition(QWidget* parent, const QString& programFolder);

    // The definition saved last, or empty.
    QString savedPath() const { return savedPath_; }

    // Reads the chosen files and fills the list; false (with the reason in the lines) when the XDF, the
    // image or the definition for the engine's facts cannot be read.
    bool readFiles();
    // Saves the listed values; false when a key the editor needs has no value, the user cancels, or the
    // file cannot be written (each said in a message).
    bool save();

  signals:
    void definitionSaved(const QString& path);

  private:
    void browse(XdfImportDialogs::FileKind kind, QLineEdit* entry, const QString& folder);
    void fillKeys();
    void keyEdited(QTableWidgetItem* item);
    void showRow(int row);
    void showCounts();

    QString programFolder_;
    XdfImportDialogs& dialogs_;
    QLineEdit* xdfEntry_;
    QLineEdit* imageEntry_;
    QLineEdit* baseEntry_;
    QTableWidget* keys_;
    QPlainTextEdit* lines_;
    QLabel* status_;
    QPushButton* save_;
    ImportResult result_;
    bool filling_ = false;
    QString savedPath_;
};

} // namespace vantrell::xdf
