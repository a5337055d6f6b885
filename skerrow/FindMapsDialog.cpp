#include "FindMapsDialog.h"

#include "FixedPitchFont.h"

#include "common/Numbers.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace skerrow {

FindMapsDialog::FindMapsDialog(const std::vector<MapCandidate>& candidates, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FindMapsDialog"));
    setWindowTitle(QStringLiteral("Find maps"));
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(QStringLiteral("Tables that look most like fuel or timing maps, best first.\n"
                                            "Choose one to show it."),
                             this);
    layout->addWidget(intro);

    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("candidateList"));
    // The address, size and score columns line up only in a font of one glyph width.
    list_->setFont(fixedPitchFont(0));
    for (const auto& candidate : candidates)
        list_->addItem(candidateText(candidate));
    if (list_->count() > 0)
        list_->setCurrentRow(0);
    list_->setMinimumSize(300, 320);
    layout->addWidget(list_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Go to"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list_, &QListWidget::itemActivated, this, &QDialog::accept);
}

int FindMapsDialog::chosenIndex() const
{
    return list_->currentRow();
}

QString FindMapsDialog::candidateText(const MapCandidate& candidate)
{
    const QString address =
        QString::fromStdString("$" + common::hexTextPadded(static_cast<std::uint32_t>(candidate.address), 4));
    const QString size = QStringLiteral("%1x%1").arg(candidate.size);
    return QStringLiteral("%1  %2  score %3").arg(address, -8).arg(size, 5).arg(candidate.score, 5, 'f', 1);
}

} // namespace skerrow
