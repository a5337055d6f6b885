#include "vantrell/shell/EditActions.h"

#include <QAction>
#include <QMenu>

namespace vantrell {

EditActions::EditActions(EditHistory& history, common::StatusSink& status, QObject* parent)
    : QObject(parent), history_(history), status_(status)
{
    history_.setChangedCallback([this] { update(); });
}

void EditActions::addTo(QMenu* menu)
{
    undo_ = menu->addAction(QStringLiteral("&Undo"));
    undo_->setObjectName(QStringLiteral("menu_edit_undo"));
    undo_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    redo_ = menu->addAction(QStringLiteral("&Redo"));
    redo_->setObjectName(QStringLiteral("menu_edit_redo"));
    redo_->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    connect(undo_, &QAction::triggered, this, &EditActions::undo);
    connect(redo_, &QAction::triggered, this, &EditActions::redo);
    update();
}

void EditActions::undo()
{
    const std::string label = history_.undoLabel();
    if (label.empty())
        return;
    if (history_.undo())
        status_.appendStatusLine("Undone: " + label);
    else
        status_.appendStatusLine("Nothing undone: the ROM buffer no longer holds what the history expects - "
                                 "the history is emptied");
}

void EditActions::redo()
{
    const std::string label = history_.redoLabel();
    if (label.empty())
        return;
    if (history_.redo())
        status_.appendStatusLine("Redone: " + label);
    else
        status_.appendStatusLine("Nothing redone: the ROM buffer no longer holds what the history expects - "
                                 "the history is emptied");
}

void EditActions::update()
{
    if (!undo_ || !redo_)
        return;
    const std::string undoLabel = history_.undoLabel();
    const std::string redoLabel = history_.redoLabel();
    undo_->setText(QStringLiteral("&Undo") +
                   (undoLabel.empty() ? QString() : QStringLiteral(" ") + QString::fromStdString(undoLabel)));
    redo_->setText(QStringLiteral("&Redo") +
                   (redoLabel.empty() ? QString() : QStringLiteral(" ") + QString::fromStdString(redoLabel)));
    undo_->setEnabled(!undoLabel.empty());
    redo_->setEnabled(!redoLabel.empty());
}

} // namespace vantrell
