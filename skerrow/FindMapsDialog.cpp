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

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("candidateList"));
    // The address, size and score columns line up only in a font of one glyph width.
    m_list->setFont(fixedPitchFont(0));
    for (const auto& candidate : candidates)
        m_list->addItem(candidateText(candidate));
    if (m_list->count() > 0)
        m_list->setCurrentRow(0);
    m_list->setMinimumSize(300, 320);
    layout->addWidget(m_list);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Go to"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &QListWidget::itemActivated, this, &QDialog::accept);
}

int FindMapsDialog::chosenIndex() const
{
    return m_list->currentRow();
}

QString FindMapsDialog::candidateText(const MapCandidate& candidate)
{
    const QString address =
        QString::fromStdString("$" + common::hexTextPadded(static_cast<std::uint32_t>(candidate.address), 4));
    const QString size = QStringLiteral("%1x%1").arg(candidate.size);
    return QStringLiteral("%1  %2  score %3").arg(address, -8).arg(size, 5).arg(candidate.score, 5, 'f', 1);
}

} // namespace skerrow
