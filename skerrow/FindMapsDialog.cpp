#include "FindMapsDialog.h"

#include "FixedPitchFont.h"

#include "common/Numbers.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSaveFile>
#include <QVBoxLayout>

namespace skerrow {

namespace {

QString hexAddress(std::int64_t address)
{
    return QString::fromStdString("$" + common::hexTextPadded(static_cast<std::uint32_t>(address), 4));
}

QString kindText(const MapCandidate& candidate)
{
    switch (candidate.kind) {
    case MapKind::Fuel:
        return QStringLiteral("fuel, flagged");
    case MapKind::Timing:
        return QStringLiteral("timing");
    case MapKind::Other:
        break;
    }
    return QStringLiteral("other");
}

QString axisText(const AxisRun& axis)
{
    return hexAddress(axis.address) + (axis.width == 2 ? QStringLiteral(" (16-bit)") : QString());
}

// What a box of the definition offers for a candidate.
QString slotEntryText(const MapCandidate& candidate)
{
    return hexAddress(candidate.address) + QStringLiteral("  ") + kindText(candidate);
}

QString keysText(const std::vector<QString>& keys)
{
    if (keys.size() == 2)
        return keys[0] + QStringLiteral(" and ") + keys[1];
    return keys.empty() ? QString() : keys[0];
}

} // namespace

FindMapsDialog::FindMapsDialog(const std::vector<MapCandidate>& candidates, const ScannedImage& image,
                               ScannerDialogs& dialogs, QWidget* parent)
    : QDialog(parent), candidates_(candidates), image_(image), dialogs_(dialogs)
{
    setObjectName(QStringLiteral("FindMapsDialog"));
    setWindowTitle(QStringLiteral("Find maps"));
    auto* layout = new QVBoxLayout(this);
    auto* intro =
        new QLabel(QStringLiteral("Tables that look most like fuel or timing maps, best first, with their "
                                  "kind and the axes that fit them.\nChoose one to show it."),
                   this);
    layout->addWidget(intro);

    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("candidateList"));
    // The address, size, score, kind and axes columns line up only in a font of one glyph width.
    list_->setFont(fixedPitchFont(0));
    for (const auto& candidate : candidates_)
        list_->addItem(candidateText(candidate));
    if (list_->count() > 0)
        list_->setCurrentRow(0);
    list_->setMinimumSize(600, 280);
    layout->addWidget(list_);

    auto* definition = new QGroupBox(QStringLiteral("Engine definition for Vantrell"), this);
    definition->setObjectName(QStringLiteral("definitionBox"));
    auto* form = new QFormLayout(definition);
    const MapChoice chosen = chooseMaps(candidates_);
    for (MapSlot slot : kMapSlots) {
        auto* box = new QComboBox(definition);
        box->setObjectName(QLatin1String(slotKey(slot)) + QStringLiteral("Choice"));
        box->setFont(fixedPitchFont(0));
        box->addItem(QStringLiteral("(none)"), -1);
        // The editor's maps are 16 by 16: only such tables are offered.
        for (std::size_t i = 0; i < candidates_.size(); ++i)
            if (candidates_[i].size == 16)
                box->addItem(slotEntryText(candidates_[i]), static_cast<int>(i));
        box->setCurrentIndex(std::max(0, box->findData(chosen[slot])));
        connect(box, &QComboBox::currentIndexChanged, this, &FindMapsDialog::showMissing);
        form->addRow(QLatin1String(slotKey(slot)), box);
        slotBoxes_[static_cast<std::size_t>(slot)] = box;
    }
    missing_ = new QLabel(definition);
    missing_->setObjectName(QStringLiteral("missingMapsLabel"));
    missing_->setWordWrap(true);
    form->addRow(missing_);
    auto* save = new QPushButton(QStringLiteral("Save Engine Definition..."), definition);
    save->setObjectName(QStringLiteral("saveDefinitionButton"));
    connect(save, &QPushButton::clicked, this, &FindMapsDialog::saveDefinition);
    saved_ = new QLabel(definition);
    saved_->setObjectName(QStringLiteral("savedLabel"));
    saved_->setWordWrap(true);
    form->addRow(save, saved_);
    layout->addWidget(definition);
    showMissing();

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Go to"));
    // Enter in the boxes above must not close the dialog by surprise.
    buttons->button(QDialogButtonBox::Ok)->setAutoDefault(false);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list_, &QListWidget::itemActivated, this, &QDialog::accept);
}

int FindMapsDialog::chosenIndex() const
{
    return list_->currentRow();
}

MapChoice FindMapsDialog::mapChoice() const
{
    MapChoice choice;
    for (MapSlot slot : kMapSlots)
        choice[slot] = slotBoxes_[static_cast<std::size_t>(slot)]->currentData().toInt();
    return choice;
}

QString FindMapsDialog::candidateText(const MapCandidate& candidate)
{
    const QString size = QStringLiteral("%1x%1").arg(candidate.size);
    const QString axes = candidate.rowAxis.found() && candidate.columnAxis.found()
                             ? QStringLiteral("axes ") + axisText(candidate.rowAxis) + QStringLiteral(" ") +
                                   axisText(candidate.columnAxis)
                             : QStringLiteral("no axes");
    return QStringLiteral("%1  %2  score %3  %4  %5")
        .arg(hexAddress(candidate.address), -8)
        .arg(size, 5)
        .arg(candidate.score, 5, 'f', 1)
        .arg(kindText(candidate), -13)
        .arg(axes);
}

QString FindMapsDialog::missingText(const MapChoice& choice)
{
    QStringList lines;
    const auto kind = [&](MapSlot high, MapSlot low, const QString& name) {
        std::vector<QString> keys;
        for (MapSlot slot : {high, low})
            if (choice[slot] < 0)
                keys.push_back(QLatin1String(slotKey(slot)));
        if (!keys.empty())
            lines << QStringLiteral("Fewer than two %1 maps were found: pick %2 from the list.")
                         .arg(name, keysText(keys));
    };
    kind(MapSlot::FuelHigh, MapSlot::FuelLow, QStringLiteral("fuel-like"));
    kind(MapSlot::IgnHigh, MapSlot::IgnLow, QStringLiteral("timing-like"));
    return lines.join(QLatin1Char('\n'));
}

void FindMapsDialog::showMissing()
{
    missing_->setText(missingText(mapChoice()));
    missing_->setVisible(!missing_->text().isEmpty());
}

void FindMapsDialog::saveDefinition()
{
    const QFileInfo imageFile(image_.fileName);
    const DefinitionText draft =
        composeDefinition(candidates_, mapChoice(), image_.size, imageFile.fileName().toStdString());
    if (!draft.problem.empty()) {
        dialogs_.showMessage(this, QString::fromStdString(draft.problem));
        return;
    }
    const QString suggested =
        image_.fileName.isEmpty()
            ? QStringLiteral("engine.ini")
            : imageFile.dir().filePath(imageFile.completeBaseName() + QStringLiteral(".ini"));
    const QString path = dialogs_.saveDefinitionFile(this, suggested);
    if (path.isEmpty())
        return;
    // Written beside the target and renamed over it, so a failed save leaves an earlier file whole.
    QSaveFile file(path);
    const QByteArray bytes = QByteArray::fromStdString(draft.text);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        dialogs_.showMessage(this,
                             QDir::toNativeSeparators(path) + QStringLiteral("\n\n") + file.errorString());
        return;
    }
    saved_->setText(QStringLiteral("Saved ") + QDir::toNativeSeparators(path));
}

} // namespace skerrow
