#include "vantrell/shell/QtDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

namespace vantrell {

namespace {

QString suffixOf(const std::string& defaultExtension)
{
    QString s = QString::fromStdString(defaultExtension);
    while (s.startsWith('*') || s.startsWith('.'))
        s.remove(0, 1);
    return s;
}

std::string runDialog(QWidget* parent, QFileDialog::AcceptMode mode, const std::string& title,
                      const std::string& filter, const std::string& extension, const std::string& folder)
{
    QFileDialog dialog(parent, QString::fromStdString(title), QString::fromStdString(folder),
                       QtDialogs::qtFilter(filter));
    dialog.setAcceptMode(mode);
    // Opening also returns a typed name of a file that does not exist; saving never asks before an
    // existing file is replaced.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setOption(QFileDialog::ReadOnly, false);
    dialog.setDefaultSuffix(suffixOf(extension));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().front().toStdString();
}

} // namespace

QString QtDialogs::qtFilter(const std::string& filter)
{
    const QStringList parts = QString::fromStdString(filter).split('|');
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        filters << QStringLiteral("%1 (%2)").arg(parts[i], QString(parts[i + 1]).replace(';', ' '));
    return filters.join(QStringLiteral(";;"));
}

std::string QtDialogs::fncGetFileNametoOpen(const std::string& strDialogTitle, const std::string& strFilter,
                                            const std::string& strDefaultExtention,
                                            const std::string& strDefaultPath)
{
    return runDialog(parent_, QFileDialog::AcceptOpen, strDialogTitle, strFilter, strDefaultExtention,
                     strDefaultPath);
}

std::string QtDialogs::fncGetFileNametoSave(const std::string& strFilter,
                                            const std::string& strDefaultExtention,
                                            const std::string& strDialogTitle,
                                            const std::string& strDefaultDir)
{
    return runDialog(parent_, QFileDialog::AcceptSave, strDialogTitle, strFilter, strDefaultExtention,
                     strDefaultDir);
}

Dialogs::Answer QtDialogs::askYesNoCancel(const std::string& title, const std::string& text)
{
    const auto button =
        QMessageBox::question(parent_, QString::fromStdString(title), QString::fromStdString(text),
                              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Cancel);
    if (button == QMessageBox::Yes)
        return Answer::Yes;
    if (button == QMessageBox::No)
        return Answer::No;
    return Answer::Cancel;
}

Dialogs::Answer QtDialogs::askYesNo(const std::string& title, const std::string& text)
{
    const auto button =
        QMessageBox::question(parent_, QString::fromStdString(title), QString::fromStdString(text),
                              QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    return button == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

void QtDialogs::showMessage(const std::string& title, const std::string& text)
{
    QMessageBox::information(parent_, QString::fromStdString(title), QString::fromStdString(text));
}

void QtDialogs::beep()
{
    QApplication::beep();
}

} // namespace vantrell
