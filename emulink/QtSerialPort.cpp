#include "QtSerialPort.h"

#include <QFileInfo>
#include <QMetaObject>

#include <system_error>
#include <utility>

namespace emulink {

namespace {

OpenFailure openFailureOf(QSerialPort::SerialPortError error, const QString& text)
{
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return OpenFailure::NoSuchPort;
    case QSerialPort::OpenError:
        return OpenFailure::InUse;
    case QSerialPort::PermissionError: {
        // Qt's own words when its lock file is held, and the system's for a device opened exclusively
        // elsewhere (both in the language the user runs the program in).
        static const QString locked = QSerialPort::tr("Permission error while locking the device");
        static const QString busy = QString::fromLocal8Bit(
            std::make_error_code(std::errc::device_or_resource_busy).message().c_str());
        if (text == locked || text == busy)
            return OpenFailure::InUse;
        return OpenFailure::PermissionDenied;
    }
    default:
        return OpenFailure::Other;
    }
}

} // namespace

QtSerialPort::QtSerialPort(QObject* parent) : QtSerialPort(makeSystemLatencyControl(), parent) {}

QtSerialPort::QtSerialPort(std::unique_ptr<LatencyControl> latency, QObject* parent)
    : SerialPort(parent), latency_(std::move(latency))
{
    connect(&serial_, &QSerialPort::readyRead, this, &SerialPort::readyRead);
    connect(&serial_, &QSerialPort::errorOccurred, this, &QtSerialPort::onError);
}

QtSerialPort::~QtSerialPort()
{
    // Closing here is quiet: nobody listens to a port that is going away.
    serial_.disconnect(this);
    if (serial_.isOpen())
        serial_.close();
}

bool QtSerialPort::open(const QString& name, std::int32_t baud)
{
    close();
    name_ = name;
    error_.clear();
    failure_ = OpenFailure::None;
    if (name.isEmpty()) {
        error_ = QStringLiteral("no such port");
        failure_ = OpenFailure::NoSuchPort;
        return false;
    }
    serial_.setPortName(name);
    serial_.setBaudRate(baud);
    serial_.setDataBits(QSerialPort::Data8);
    serial_.setParity(QSerialPort::NoParity);
    serial_.setStopBits(QSerialPort::OneStop);
    serial_.setFlowControl(QSerialPort::NoFlowControl);
    if (!serial_.open(QIODevice::ReadWrite)) {
        error_ = serial_.errorString();
        failure_ = openFailureOf(serial_.error(), error_);
        serial_.clearError();
        return false;
    }
    serial_.clearError();
    requestLowLatency();
    return true;
}

void QtSerialPort::requestLowLatency()
{
    const LatencyControl::Result result = latency_->requestLowLatency(serial_);
    // The device as the user knows it: through any symbolic link, where names are paths.
    QString device = name_;
#ifndef Q_OS_WIN
    if (const QString canonical = QFileInfo(name_).canonicalFilePath(); !canonical.isEmpty())
        device = canonical;
#endif
    if (advised_.contains(device))
        return;
    const QString advice = lowLatencyAdvice(result, device);
    if (advice.isEmpty())
        return;
    advised_.insert(device);
    // From the event loop, as every signal of the port: the caller of open() is not interrupted.
    QMetaObject::invokeMethod(
        this, [this, advice] { emit portAdvice(advice); }, Qt::QueuedConnection);
}

void QtSerialPort::close()
{
    eventPending_ = false;
    ++generation_;
    if (serial_.isOpen())
        serial_.close();
    serial_.clearError();
}

bool QtSerialPort::isOpen() const
{
    return serial_.isOpen();
}

void QtSerialPort::setDtr(bool raised)
{
    if (!serial_.isOpen())
        return;
    // A pseudo-terminal refuses the request; the data line works all the same.
    if (!serial_.setDataTerminalReady(raised))
        serial_.clearError();
}

void QtSerialPort::setRts(bool raised)
{
    if (!serial_.isOpen())
        return;
    if (!serial_.setRequestToSend(raised))
        serial_.clearError();
}

void QtSerialPort::discardBuffers()
{
    if (!serial_.isOpen())
        return;
    serial_.clear(QSerialPort::AllDirections);
    // Bytes already taken into Qt's own buffer are dropped too.
    serial_.readAll();
}

bool QtSerialPort::write(std::span<const std::uint8_t> bytes)
{
    if (!serial_.isOpen())
        return false;
    const auto size = static_cast<qint64>(bytes.size());
    if (serial_.write(reinterpret_cast<const char*>(bytes.data()), size) != size)
        return false;
    // Hand the bytes to the device now rather than at the next pass of the event loop.
    serial_.flush();
    return serial_.isOpen();
}

std::size_t QtSerialPort::bytesWaiting() const
{
    return serial_.isOpen() ? static_cast<std::size_t>(serial_.bytesAvailable()) : 0;
}

Bytes QtSerialPort::readAll()
{
    if (!serial_.isOpen())
        return {};
    const QByteArray data = serial_.readAll();
    return Bytes(data.begin(), data.end());
}

void QtSerialPort::onError(QSerialPort::SerialPortError error)
{
    CommsEvent event = CommsEvent::SettingsError;
    switch (error) {
    case QSerialPort::NoError:
        return; // clearError() reports this; nothing to do
    case QSerialPort::TimeoutError:
    case QSerialPort::NotOpenError:
    case QSerialPort::UnsupportedOperationError:
        // Modem lines on a pseudo-terminal and similar refusals: not line events.
        serial_.clearError();
        return;
    case QSerialPort::DeviceNotFoundError:
    case QSerialPort::PermissionError:
    case QSerialPort::OpenError:
        // Reported by open() itself.
        return;
    case QSerialPort::ReadError:
    case QSerialPort::ResourceError:
        event = CommsEvent::HangUp;
        break;
    case QSerialPort::WriteError:
        event = CommsEvent::WriteFailed;
        break;
    default:
        event = CommsEvent::SettingsError;
        break;
    }
    if (!serial_.isOpen() || eventPending_)
        return;
    error_ = serial_.errorString();
    serial_.clearError();
    eventPending_ = true;
    // The error may be raised inside a call on the port (a write); the port is closed and the event
    // reported from the event loop instead, where the listener may act on the port freely. Until
    // then repeats of the error are ignored.
    QMetaObject::invokeMethod(
        this,
        [this, event, generation = generation_] {
            if (generation != generation_)
                return; // closed (and maybe reopened) meanwhile: the event belonged to the old line
            eventPending_ = false;
            if (!serial_.isOpen())
                return;
            if (event == CommsEvent::HangUp)
                serial_.close(); // left open, the port reports the same error again at full speed
            emit commsError(event);
        },
        Qt::QueuedConnection);
}

} // namespace emulink
