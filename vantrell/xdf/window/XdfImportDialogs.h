// The questions the XDF import dialog asks the user, behind one seam so that tests answer them without
// a modal dialog waiting for a person.
#pragma once

#include <QString>

class QWidget;

namespace vantrell::xdf {

class XdfImportDialogs
{
  public:
    enum class FileKind { Xdf, Image, Definition };

    virtual ~XdfImportDialogs() = default;

    // A file of the kind to open, starting in `folder`, or an empty text when the user cancels.
    virtual QString openFile(QWidget* parent, FileKind kind, const QString& folder) = 0;
    // The file to save the definition to, starting from `suggested`, or an empty text when the user
    // cancels.
    virtual QString saveDefinitionFile(QWidget* parent, const QString& suggested) = 0;
    // A message box with an OK button; returns when the user has closed it.
    virtual void showMessage(QWidget* parent, const QString& text) = 0;
};

// The same questions asked with the desktop's file dialogs and message boxes.
class QtXdfImportDialogs : public XdfImportDialogs
{
  public:
    QString openFile(QWidget* parent, FileKind kind, const QString& folder) override;
    QString saveDefinitionFile(QWidget* parent, const QString& suggested) override;
    void showMessage(QWidget* parent, const QString& text) override;
};

} // namespace vantrell::xdf
