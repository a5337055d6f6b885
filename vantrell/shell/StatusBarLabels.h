// The status bar's five panels: the link state ("Emulator : ACTIVE"/"INACTIVE", a click toggles it),
// the engine definition (a click chooses another), the current map, the ROM image's file name (a click
// loads another) and the help hint.
#pragma once

#include <QObject>
#include <QString>

class QLabel;
class QStatusBar;

namespace vantrell {

class ClickLabel;

class StatusBarLabels : public QObject
{
    Q_OBJECT
  public:
    // The panels are added to `bar` and owned by it.
    explicit StatusBarLabels(QStatusBar& bar);

    void setOnline(bool online);
    void setEngine(const QString& config);
    void setMap(const QString& mapName);
    void setFileName(const QString& fileName);

  signals:
    void emulatorClicked();
    void engineClicked();
    void fileNameClicked();

  private:
    ClickLabel* emulator_ = nullptr;
    ClickLabel* engine_ = nullptr;
    QLabel* map_ = nullptr;
    ClickLabel* fileName_ = nullptr;
};

} // namespace vantrell
