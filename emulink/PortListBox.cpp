#include "PortListBox.h"

#include <QAbstractItemView>
#include <QFontMetrics>
#include <QStandardItemModel>

#include <algorithm>

namespace emulink {

PortListBox::PortListBox(QWidget* parent) : QComboBox(parent), lister_(&systemPorts)
{
    setObjectName(QStringLiteral("port_list"));
    setToolTip(QStringLiteral("Choose a port to put its name in the port box"));
    // The entries are long; the closed box stays as wide as its caption and the list opens wider.
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(static_cast<int>(kCaption.size()));
    connect(this, &QComboBox::activated, this, [this](int index) {
        const QString device = itemData(index).toString();
        if (!device.isEmpty())
            emit portChosen(device);
    });
    refresh();
}

void PortListBox::setLister(Lister lister)
{
    lister_ = std::move(lister);
    refresh();
}

std::vector<PortDescription> PortListBox::ports() const
{
    return lister_ ? lister_() : std::vector<PortDescription>{};
}

void PortListBox::refresh()
{
    const QString chosen = currentData().toString();
    const std::vector<PortDescription> listed = sortedForList(ports());

    const QSignalBlocker quiet(this);
    clear();
    addItem(kCaption);
    for (const PortDescription& port : listed) {
        const QString entry = portListEntry(port);
        addItem(entry, port.device);
        setItemData(count() - 1, entry, Qt::ToolTipRole);
    }
    if (listed.empty()) {
        addItem(kNoPorts);
        if (auto* items = qobject_cast<QStandardItemModel*>(model()))
            items->item(count() - 1)->setEnabled(false);
    }
    showDevice(chosen);

    int widest = 0;
    const QFontMetrics metrics(view()->font());
    for (int i = 0; i < count(); ++i)
        widest = std::max(widest, metrics.horizontalAdvance(itemText(i)));
    view()->setMinimumWidth(widest + 4 * metrics.averageCharWidth());
}

void PortListBox::showDevice(const QString& device)
{
    const QString name = device.trimmed();
    const int index = name.isEmpty() ? -1 : findData(name);
    setCurrentIndex(index > 0 ? index : 0);
}

void PortListBox::showPopup()
{
    refresh();
    QComboBox::showPopup();
}

} // namespace emulink
