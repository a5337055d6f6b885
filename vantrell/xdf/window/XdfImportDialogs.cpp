#include "vantrell/xdf/window/XdfImportDialogs.h"

#include <QFileDialog>
#include <QMessageBox>

namespace vantrell::xdf {

QString QtXdfImportDialogs::openFile(QWidget* parent, FileKind kind, const QString& folder)
{
    switch (kind) {
    case FileKind::Xdf:
        return QFileDialog::getOpenFileName(parent, QStringLiteral("Open XDF Definition"), folder,
                                            QStringLiteral("XDF Files (*.xdf *.XDF);;All Files (*)"));
    case FileKind::Image:
        return QFileDialog::getOpenFileName(parent, QStringLiteral("Open ROM Image"), folder,
                                            QStringLiteral("Rom Images (*.bin);;All Files (*)"));
    case FileKind::Definition:
        return QFileDialog::getOpenFileName(parent, QStringLiteral("Engine Facts From"), folder,
                                            QStringLiteral("Config Files (*.ini);;All Files (*)"));
    }
    return {};
}

QString QtXdfImportDialogs::saveDefinitionFile(QWidget* parent, const QString& suggested)
{
    return QFileDialog::getSaveFileName(parent, QStringLiteral("Save Engine Definition"), suggested,
                                        QStringLiteral("Config Files (*.ini)"));
}

void QtXdfImportDialogs::showMessage(QWidget* parent, const QString& text)
{
    QMessageBox::information(parent, QStringLiteral("Import XDF Definition"), text);
}

} // namespace vantrell::xdf
