// The drop-down beside a port box, `port_list`: the serial ports the system has now (in the order of
// sortedForList), filled again each time it opens. Its first entry is a caption; choosing a port emits
// portChosen() with the name that belongs in the port box. The box stays the place where the port is named:
// the list only fills it.
#pragma once

#include "PortList.h"

#include <QComboBox>
#include <QString>

#include <functional>
#include <vector>

namespace emulink {

class PortListBox : public QComboBox
{
    Q_OBJECT
  public:
    using Lister = std::function<std::vector<PortDescription>()>;

    static inline const QString kCaption = QStringLiteral("Serial ports on this computer");
    static inline const QString kNoPorts = QStringLiteral("No serial ports found");

    // Lists the system's ports (systemPorts) until setLister() says otherwise.
    explicit PortListBox(QWidget* parent = nullptr);

    // Where the ports come from (tests give a fixed list). Fills the list again.
    void setLister(Lister lister);
    // The ports as the lister gives them now.
    std::vector<PortDescription> ports() const;
    // Fills the list again, keeping the chosen port when it is still there.
    void refresh();
    // Shows the entry of the named device, or the caption when the list does not hold it (the port
    // box names something else).
    void showDevice(const QString& device);

    void showPopup() override;

  signals:
    // A port was chosen from the list: its device name, for the port box.
    void portChosen(const QString& device);

  private:
    Lister lister_;
};

} // namespace emulink
