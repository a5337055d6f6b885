#include "DefaultScannerDialogs.h"

#include "FindMapsDialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace skerrow {

QString DefaultScannerDialogs::openImageFile(QWidget* parent)
{
    // Any file may hold a ROM image: no filter.
    const QString start = programFolder_.isEmpty() ? QString() : programFolder_ + QStringLiteral("/data");
    return QFileDialog::getOpenFileName(parent, QStringLiteral("Import ROM file"), start);
}

void DefaultScannerDialogs::showMessage(QWidget* parent, const QString& text)
{
    const QString title = parent != nullptr ? parent->window()->windowTitle() : QString();
    QMessageBox::information(parent, title, text, QMessageBox::Ok);
}

int DefaultScannerDialogs::chooseMapCandidate(QWidget* parent, const std::vector<MapCandidate>& candidates,
                                              const ScannedImage& image)
{
    // The list's own questions (where to save, what went wrong) come back through this seam.
    FindMapsDialog dialog(candidates, image, *this, parent);
    if (dialog.exec() != QDialog::Accepted)
        return -1;
    return dialog.chosenIndex();
}

QString DefaultScannerDialogs::saveDefinitionFile(QWidget* parent, const QString& suggested)
{
    QString path = suggested;
    if (!programFolder_.isEmpty() && QFileInfo(suggested).isRelative())
        path = programFolder_ + QStringLiteral("/config/") + suggested;
    return QFileDialog::getSaveFileName(parent, QStringLiteral("Save Engine Definition"), path,
                                        QStringLiteral("Engine definitions (*.ini);;All files (*)"));
}

} // namespace skerrow
