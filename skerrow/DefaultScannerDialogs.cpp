#include "DefaultScannerDialogs.h"

#include "FindMapsDialog.h"

#include <QFileDialog>
#include <QMessageBox>

namespace skerrow {

QString DefaultScannerDialogs::openImageFile(QWidget* parent)
{
    // Any file may hold a ROM image: no filter.
    return QFileDialog::getOpenFileName(parent, QStringLiteral("Import ROM file"));
}

void DefaultScannerDialogs::showMessage(QWidget* parent, const QString& text)
{
    const QString title = parent != nullptr ? parent->window()->windowTitle() : QString();
    QMessageBox::information(parent, title, text, QMessageBox::Ok);
}

int DefaultScannerDialogs::chooseMapCandidate(QWidget* parent, const std::vector<MapCandidate>& candidates)
{
    FindMapsDialog dialog(candidates, parent);
    if (dialog.exec() != QDialog::Accepted)
        return -1;
    return dialog.chosenIndex();
}

} // namespace skerrow
