#include "WinSerialPort.h"

#include "LatencyControl.h"
#include "PortList.h"

#include <QMetaObject>
#include <QSet>

#include <algorithm>

#include <windows.h>

namespace emulink {

namespace {

// The system's words for a Win32 error code, without the line end.
QString systemText(DWORD code)
{
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                            FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    QString text;
    if (length > 0 && buffer)
        text = QString::fromWCharArray(buffer, static_cast<qsizetype>(length)).trimmed();
    if (buffer)
        LocalFree(buffer);
    if (text.isEmpty())
        text = QStringLiteral("system error %1").arg(code);
    return text;
}

OpenFailure openFailureOf(DWORD code)
{
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
        return OpenFailure::NoSuchPort;
    // A COM port is opened exclusively: Windows answers "Access denied" when another program (or
    // another port object) holds it.
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_BUSY:
        return OpenFailure::InUse;
    default:
        return OpenFailure::Other;
    }
}

// Devices open in this process. Windows itself refuses a second open of a COM port; Wine does not,
// and two port objects on one line would steal each other's bytes.
QSet<QString>& devicesOpenHere()
{
    static QSet<QString> devices;
    return devices;
}

} // namespace

// The open device and its two overlapped operations. Each operation's OVERLAPPED is the first member
// of a record that points back at the port, so its completion routine finds the port.
struct WinSerialPort::Io
{
    struct Operation
    {
        OVERLAPPED overlapped{};
        WinSerialPort* port = nullptr;
        bool pending = false;
    };

    Io() : restEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~Io() { CloseHandle(restEvent); }
    Io(const Io&) = delete;
    Io& operator=(const Io&) = delete;

    // Cancels the operation when it is pending and lets its completion routine run (it only does so
    // in an alertable wait). Bounded: a driver that never ends a cancelled operation is left behind.
    void cancel(Operation& operation)
    {
        if (!operation.pending)
            return;
        cancelling = true;
        CancelIoEx(handle, &operation.overlapped);
        for (int i = 0; operation.pending && i < 200; ++i)
            SleepEx(10, TRUE);
        cancelling = false;
        operation.pending = false;
    }

    HANDLE handle = INVALID_HANDLE_VALUE;
    QString device;   // the open device's path in upper case
    HANDLE restEvent; // for taking the bytes the driver holds, which ends at once

    Operation readOp;
    std::uint8_t readByte = 0;

    Operation writeOp;
    Bytes inFlight; // the bytes of the pending write; stays put until it ends
    Bytes queued;   // bytes written while another write was pending

    bool cancelling = false; // completion routines of cancelled operations only mark them ended
    bool eventPending = false;
    std::uint64_t generation = 0;
};

namespace {

// Completion routines: run by the thread that started the operation (the port's), inside the event
// loop's alertable wait, so readyRead and the rest come from the event loop.
void CALLBACK readCompleted(DWORD error, DWORD count, OVERLAPPED* overlapped);
void CALLBACK writeCompleted(DWORD error, DWORD count, OVERLAPPED* overlapped);

} // namespace

WinSerialPort::WinSerialPort(QObject* parent) : SerialPort(parent), io_(std::make_unique<Io>())
{
    io_->readOp.port = this;
    io_->writeOp.port = this;
}

WinSerialPort::~WinSerialPort()
{
    close();
}

QString WinSerialPort::devicePath(const QString& name)
{
    const QString trimmed = name.trimmed();
    if (trimmed.isEmpty())
        return {};
    static const QString prefix = QStringLiteral("\\\\.\\");
    if (trimmed.startsWith(prefix))
        return trimmed;
    bool number = false;
    const int n = trimmed.toInt(&number);
    if (number && n > 0)
        return prefix + QStringLiteral("COM%1").arg(n);
    return prefix + trimmed;
}

bool WinSerialPort::open(const QString& name, std::int32_t baud)
{
    close();
    name_ = name;
    error_.clear();
    failure_ = OpenFailure::None;
    const QString path = devicePath(name);
    if (path.isEmpty()) {
        error_ = QStringLiteral("no such port");
        failure_ = OpenFailure::NoSuchPort;
        return false;
    }

    const QString device = path.toUpper();
    if (devicesOpenHere().contains(device)) {
        failure_ = OpenFailure::InUse;
        error_ = QStringLiteral("the port is open already");
        return false;
    }
    HANDLE handle = CreateFileW(reinterpret_cast<const wchar_t*>(path.utf16()), GENERIC_READ | GENERIC_WRITE,
                                0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        failure_ = openFailureOf(code);
        error_ = systemText(code);
        if (code == ERROR_ACCESS_DENIED)
            error_ += QStringLiteral(" - another program probably holds the port");
        return false;
    }

    // 8N1 at the asked speed, no flow control, every byte value passed unchanged. DTR and RTS are
    // raised with the open; a driver that cannot carry them ignores it.
    DCB dcb{};
    dcb.DCBlength = sizeof(dcb);
    bool settled = GetCommState(handle, &dcb);
    if (settled) {
        dcb.BaudRate = static_cast<DWORD>(baud);
        dcb.ByteSize = 8;
        dcb.Parity = NOPARITY;
        dcb.StopBits = ONESTOPBIT;
        dcb.fBinary = TRUE;
        dcb.fParity = FALSE;
        dcb.fOutxCtsFlow = FALSE;
        dcb.fOutxDsrFlow = FALSE;
        dcb.fDsrSensitivity = FALSE;
        dcb.fDtrControl = DTR_CONTROL_ENABLE;
        dcb.fRtsControl = RTS_CONTROL_ENABLE;
        dcb.fOutX = FALSE;
        dcb.fInX = FALSE;
        dcb.fErrorChar = FALSE;
        dcb.fNull = FALSE;
        dcb.fAbortOnError = FALSE;
        settled = SetCommState(handle, &dcb);
    }
    // All zero: a read ends when its count is met, a write when all is sent. The one-byte read below
    // thus ends with the first byte, and the rest is taken as far as the driver holds it.
    COMMTIMEOUTS timeouts{};
    settled = settled && SetCommTimeouts(handle, &timeouts);
    if (!settled) {
        const DWORD code = GetLastError();
        CloseHandle(handle);
        failure_ = OpenFailure::Other;
        error_ = QStringLiteral("cannot set the line settings: ") + systemText(code);
        return false;
    }
    SetupComm(handle, 16384, 16384);
    PurgeComm(handle, PURGE_RXCLEAR | PURGE_TXCLEAR);

    io_->handle = handle;
    io_->device = device;
    devicesOpenHere().insert(device);
    ++io_->generation;
    io_->eventPending = false;
    received_.clear();
    io_->queued.clear();
    startRead();
    if (!isOpen())
        return false; // the first read failed: reported as a hang-up from the event loop
    adviseLatency();
    return true;
}

void WinSerialPort::adviseLatency()
{
    const QString device = devicePath(name_).mid(4).toUpper();
    if (advised_.contains(device))
        return;
    const std::vector<PortDescription> ports = systemPorts();
    const auto port = std::find_if(ports.begin(), ports.end(), [&](const PortDescription& p) {
        return p.device.compare(device, Qt::CaseInsensitive) == 0;
    });
    if (port == ports.end() || !port->usb)
        return;
    advised_.insert(device);
    const QString advice = lowLatencyAdvice({LatencyControl::Answer::NotLowered, {}}, device);
    QMetaObject::invokeMethod(
        this, [this, advice] { emit portAdvice(advice); }, Qt::QueuedConnection);
}

void WinSerialPort::close()
{
    if (!isOpen())
        return;
    ++io_->generation;
    io_->eventPending = false;
    io_->cancel(io_->readOp);
    io_->cancel(io_->writeOp);
    CloseHandle(io_->handle);
    io_->handle = INVALID_HANDLE_VALUE;
    devicesOpenHere().remove(io_->device);
    io_->device.clear();
    io_->inFlight.clear();
    io_->queued.clear();
    received_.clear();
}

bool WinSerialPort::isOpen() const
{
    return io_->handle != INVALID_HANDLE_VALUE;
}

void WinSerialPort::setDtr(bool raised)
{
    // A pseudo-terminal under Wine refuses (error 50); the data line works all the same.
    if (isOpen())
        EscapeCommFunction(io_->handle, raised ? SETDTR : CLRDTR);
}

void WinSerialPort::setRts(bool raised)
{
    if (isOpen())
        EscapeCommFunction(io_->handle, raised ? SETRTS : CLRRTS);
}

void WinSerialPort::discardBuffers()
{
    if (!isOpen())
        return;
    // The pending read may hold a byte already: it is dropped with the rest.
    io_->cancel(io_->readOp);
    io_->cancel(io_->writeOp);
    io_->inFlight.clear();
    io_->queued.clear();
    PurgeComm(io_->handle, PURGE_RXCLEAR | PURGE_TXCLEAR | PURGE_RXABORT | PURGE_TXABORT);
    received_.clear();
    startRead();
}

bool WinSerialPort::write(std::span<const std::uint8_t> bytes)
{
    if (!isOpen() || io_->eventPending)
        return false;
    io_->queued.insert(io_->queued.end(), bytes.begin(), bytes.end());
    startWrite();
    return isOpen() && !io_->eventPending;
}

Bytes WinSerialPort::readAll()
{
    Bytes bytes;
    bytes.swap(received_);
    return bytes;
}

void WinSerialPort::startRead()
{
    if (!isOpen() || io_->readOp.pending)
        return;
    io_->readOp.overlapped = OVERLAPPED{};
    if (!ReadFileEx(io_->handle, &io_->readByte, 1, &io_->readOp.overlapped, readCompleted)) {
        hangUp(CommsEvent::HangUp, systemText(GetLastError()));
        return;
    }
    io_->readOp.pending = true;
}

void WinSerialPort::onReadDone(unsigned long error, unsigned long count)
{
    io_->readOp.pending = false;
    if (io_->cancelling || !isOpen() || io_->eventPending)
        return;
    if (error != ERROR_SUCCESS) {
        hangUp(CommsEvent::HangUp, systemText(error));
        return;
    }
    if (count == 0) {
        // A read without timeouts only ends empty when the device is gone; restarting it would spin.
        hangUp(CommsEvent::HangUp, QStringLiteral("the port ended the read"));
        return;
    }
    received_.push_back(io_->readByte);

    // Take what else the driver holds now: those bytes are there, so this read ends at once.
    DWORD errors = 0;
    COMSTAT status{};
    if (ClearCommError(io_->handle, &errors, &status) && status.cbInQue > 0) {
        const std::size_t before = received_.size();
        received_.resize(before + status.cbInQue);
        OVERLAPPED rest{};
        rest.hEvent = io_->restEvent;
        ResetEvent(io_->restEvent);
        DWORD more = 0;
        if (!ReadFile(io_->handle, received_.data() + before, status.cbInQue, nullptr, &rest) &&
            GetLastError() != ERROR_IO_PENDING) {
            received_.resize(before);
        } else if (!GetOverlappedResult(io_->handle, &rest, &more, TRUE)) {
            received_.resize(before);
        } else {
            received_.resize(before + more);
        }
    }
    startRead();
    emit readyRead(); // last: a listener may close or even delete the port
}

void WinSerialPort::startWrite()
{
    if (!isOpen() || io_->writeOp.pending || io_->queued.empty())
        return;
    io_->inFlight.swap(io_->queued);
    io_->queued.clear();
    io_->writeOp.overlapped = OVERLAPPED{};
    if (!WriteFileEx(io_->handle, io_->inFlight.data(), static_cast<DWORD>(io_->inFlight.size()),
                     &io_->writeOp.overlapped, writeCompleted)) {
        io_->inFlight.clear();
        hangUp(CommsEvent::WriteFailed, systemText(GetLastError()));
        return;
    }
    io_->writeOp.pending = true;
}

void WinSerialPort::onWriteDone(unsigned long error, unsigned long count)
{
    Q_UNUSED(count);
    io_->writeOp.pending = false;
    io_->inFlight.clear();
    if (io_->cancelling || !isOpen() || io_->eventPending)
        return;
    if (error != ERROR_SUCCESS) {
        if (error != ERROR_OPERATION_ABORTED)
            hangUp(CommsEvent::WriteFailed, systemText(error));
        return;
    }
    startWrite();
}

void WinSerialPort::hangUp(CommsEvent event, const QString& text)
{
    if (io_->eventPending)
        return;
    error_ = text;
    io_->eventPending = true;
    // Reported from the event loop: the failure may come inside a call on the port (a write).
    QMetaObject::invokeMethod(
        this,
        [this, event, generation = io_->generation] {
            if (generation != io_->generation || !isOpen())
                return; // closed (and maybe reopened) meanwhile: the event belonged to the old line
            io_->eventPending = false;
            if (event == CommsEvent::HangUp)
                close();
            emit commsError(event);
        },
        Qt::QueuedConnection);
}

namespace {

WinSerialPort* portOf(OVERLAPPED* overlapped)
{
    // OVERLAPPED is the first member of the operation record.
    return reinterpret_cast<WinSerialPort::Io::Operation*>(overlapped)->port;
}

void CALLBACK readCompleted(DWORD error, DWORD count, OVERLAPPED* overlapped)
{
    portOf(overlapped)->onReadDone(error, count);
}

void CALLBACK writeCompleted(DWORD error, DWORD count, OVERLAPPED* overlapped)
{
    portOf(overlapped)->onWriteDone(error, count);
}

} // namespace

} // namespace emulink
