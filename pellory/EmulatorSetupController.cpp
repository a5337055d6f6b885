#include "EmulatorSetupController.h"

#include "common/Numbers.h"
#include "emulink/Frames.h"
#include "emulink/PortList.h"
#include "emulink/PortNames.h"
#include "emulink/SetupCommands.h"

#include <chrono>
#include <utility>

namespace pellory {

namespace {

constexpr std::chrono::seconds kSearchPause{1};

QString numberText(int value)
{
    return QString::fromStdString(common::numberText(value));
}

// Reply bytes shown one character each, whatever their value.
QString replyCharacters(const emulink::Bytes& reply)
{
    QString text;
    text.reserve(static_cast<qsizetype>(reply.size()));
    for (std::uint8_t byte : reply)
        text.append(QChar(static_cast<char16_t>(byte)));
    return text;
}

} // namespace

// Marks the controller busy for the length of one action.
class EmulatorSetupController::BusyScope
{
  public:
    explicit BusyScope(EmulatorSetupController& owner) : owner_(owner)
    {
        owner_.busy_ = true;
        owner_.cancelled_ = false;
    }
    ~BusyScope() { owner_.busy_ = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

  private:
    EmulatorSetupController& owner_;
};

EmulatorSetupController::EmulatorSetupController(emulink::SerialPort& port, emulink::Clock& clock,
                                                 StatusTextView& view, QString programFolder, QObject* parent)
    : QObject(parent), port_(port), clock_(clock), view_(view), programFolder_(std::move(programFolder)),
      portLister_(&emulink::systemPorts)
{
    connect(&port_, &emulink::SerialPort::portAdvice, this, &EmulatorSetupController::appendStatusLine);
}

EmulatorSetupController::~EmulatorSetupController() = default;

bool EmulatorSetupController::openPort(const QString& boxText)
{
    if (busy_)
        return false;
    // A number with no port behind it gives an empty name, which the port refuses as no such port.
    const QString name = emulink::resolvePortName(boxText, programFolder_);
    const bool opened = emulink::openPowered(port_, name);
    if (!opened) {
        QString text = portErrorText();
        const std::vector<emulink::PortDescription> ports =
            portLister_ ? portLister_() : std::vector<emulink::PortDescription>{};
        if (const auto adapter = emulink::suggestedAdapter(boxText, name, ports, &emulink::deviceFileExists))
            text += kLineBreak + emulink::adapterSuggestionLine(*adapter);
        setStatusText(text);
    } else if (statusText_.startsWith(kPortError)) {
        setStatusText(QString()); // the port error and its reason line are past
    }
    return opened;
}

void EmulatorSetupController::setPortLister(std::function<std::vector<emulink::PortDescription>()> lister)
{
    portLister_ = std::move(lister);
}

QString EmulatorSetupController::portErrorText() const
{
    const QString reason = emulink::openFailureAdvice(port_);
    return reason.isEmpty() ? kPortError : kPortError + kLineBreak + reason;
}

void EmulatorSetupController::closePort()
{
    emulink::closeDropped(port_);
}

bool EmulatorSetupController::reportIfClosed()
{
    if (port_.isOpen())
        return false;
    setStatusText(portErrorText());
    return true;
}

bool EmulatorSetupController::searchEmulators()
{
    if (busy_)
        return false;
    BusyScope busy(*this);
    if (reportIfClosed())
        return true;

    clock_.pause(kSearchPause);
    for (int id = 0; id <= 255; ++id) {
        if (cancelled_)
            break;
        if (!port_.isOpen()) {
            // The line went away during the search (adapter unplugged): probing on would only burn time.
            appendStatusLine(portErrorText());
            break;
        }
        const emulink::Bytes reply = emulink::setupVersionProbe(port_, clock_, static_cast<std::uint8_t>(id));
        if (!reply.empty())
            appendStatusLine(QStringLiteral("Found emulator at ID") + numberText(id));
    }
    return true;
}

bool EmulatorSetupController::setEmulatorId(std::uint8_t newId)
{
    if (busy_)
        return false;
    BusyScope busy(*this);
    if (reportIfClosed())
        return true;

    setStatusText(QStringLiteral("Setting Emulator ID to ") + numberText(newId));
    const emulink::Bytes reply = emulink::setEmulatorId(port_, clock_, newId);
    setStatusText(QStringLiteral("Set emulator ID to ") + numberText(newId) + QStringLiteral(" reply was ") +
                  replyCharacters(reply));
    return true;
}

bool EmulatorSetupController::setPull(std::uint8_t value)
{
    if (busy_)
        return false;
    BusyScope busy(*this);
    if (reportIfClosed())
        return true;

    // The message comes first and stands whatever the boards answer.
    setStatusText(value == emulink::kPullHard ? QStringLiteral("Emulator 'pullhard' set")
                                              : QStringLiteral("Emulator 'pullsoft' set"));
    emulink::setPull(port_, clock_, value);
    return true;
}

void EmulatorSetupController::setStatusText(const QString& text)
{
    statusText_ = text;
    view_.showStatusText(statusText_);
}

void EmulatorSetupController::appendStatusLine(const QString& line)
{
    setStatusText(statusText_ + kLineBreak + line);
}

} // namespace pellory
