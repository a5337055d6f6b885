// The dock "Live data": the ECU port (a number or a name, with the system's port list), Connect and
// Disconnect, the link's state, the live values as labelled figures, "Follow the engine", the fault
// codes, the log being recorded, the playback of a log (open, play, pause, a slider to drag through it)
// and the line graph of the chosen channels. A thin face over LiveSession, which does the work.
#pragma once

#include "vantrell/editor/Dialogs.h"
#include "vantrell/live/LiveSession.h"

#include "emulink/PortListBox.h"

#include <QDockWidget>

#include <vector>

class QCheckBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSlider;

namespace vantrell {

class LiveGraph;

class LiveDataDock : public QDockWidget
{
    Q_OBJECT
  public:
    // `programFolder` is where config/ports.ini may name the ports. Uses the session, dialogs and sink
    // for its whole lifetime; owns none of them.
    LiveDataDock(LiveSession& session, Dialogs& dialogs, common::StatusSink& status, QString programFolder,
                 QWidget* parent = nullptr);

    // Where the port list gets the ports from (the system's until this is called).
    void setPortLister(emulink::PortListBox::Lister lister);
    // The port the box names, as the session opens it.
    QString portName() const;

    // The buttons' work, for the menu and tests as well.
    void toggleConnection();
    void toggleLogging();
    void openLog();

    LiveSession& session() { return session_; }
    LiveGraph* graph() const { return graph_; }
    // The figure shown for a column, as the user reads it ("2400 rpm").
    QString figureText(std::size_t column) const;

  private:
    void rebuildFigures();
    void showValues(const std::vector<double>& values);
    void showState(consult::ConsultLink::State state);
    void showPlayback();

    LiveSession& session_;
    Dialogs& dialogs_;
    common::StatusSink& status_;
    QString programFolder_;
    QLineEdit* portBox_;
    emulink::PortListBox* portList_;
    QPushButton* connectButton_;
    QLabel* stateLabel_;
    QLabel* lostLabel_;
    QGridLayout* figures_;
    std::vector<QLabel*> figureLabels_;
    QLabel* tracedLabel_;
    QCheckBox* follow_;
    QListWidget* faultList_;
    QPushButton* logButton_;
    QLabel* logLabel_;
    QPushButton* playButton_;
    QPushButton* liveButton_;
    QSlider* position_;
    QLabel* positionLabel_;
    LiveGraph* graph_;
};

} // namespace vantrell
