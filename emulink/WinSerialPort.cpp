#include "WinSerialPort.h"

#include "LatencyControl.h"
#include "PortList.h"

#include <QMetaObject>
#include <QWinEventNotifier>

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

} // namespace

// The open device and its two overlapped operations. The events live as long as the port object;
// the notifiers watch them only while the port is open.
struct WinSerialPort::Io
{
    Io()
        : readEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
          writeEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)), readNotifier(readEvent),
          writeNotifier(writeEvent)
    {
        readNotifier.setEnabled(false);
        writeNotifier.setEnabled(false);
    }
    ~Io()
    {
        CloseHandle(readEvent);
        CloseHandle(writeEvent);
    }
    Io(const Io&) = delete;
    Io& operator=(const Io&) = delete;

    // Cancels the operation when it is pending and waits for it to end. Returns the bytes it moved.
    DWORD finish(OVERLAPPED& operation, bool& pending)
    {
        DWORD moved = 0;
        if (pending) {
            CancelIoEx(handle, &operation);
            GetOverlappedResult(handle, &operation, &moved, TRUE);
            pending = false;
        }
        return moved;
    }

    HANDLE handle = INVALID_HANDLE_VALUE;
    HANDLE readEvent;
    HANDLE writeEvent;
    QWinEventNotifier readNotifier;
    QWinEventNotifier writeNotifier;

    OVERLAPPED readOp{};
    bool reading = false;
    std::uint8_t readByte = 0;

    OVERLAPPED writeOp{};
    bool writing = false;
    Bytes inFlight; // the bytes of the pending write; stays put until it ends
    Bytes queued;   // bytes written while another write was pending

    bool eventPending = false;
    std::uint64_t generation = 0;
};

WinSerialPort::WinSerialPort(QObject* parent) : SerialPort(parent), io_(std::make_unique<Io>())
{
    connect(&io_->readNotifier, &QWinEventNotifier::activated, this, &WinSerialPort::onReadDone);
    connect(&io_->writeNotifier, &QWinEventNotifier::activated, this, &WinSerialPort::onWriteDone);
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
    ++io_->generation;
    io_->eventPending = false;
    received_.clear();
    io_->queued.clear();
    io_->readNotifier.setEnabled(true);
    io_->writeNotifier.setEnabled(true);
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
    io_->readNotifier.setEnabled(false);
    io_->writeNotifier.setEnabled(false);
    io_->finish(io_->readOp, io_->reading);
    io_->finish(io_->writeOp, io_->writing);
    CloseHandle(io_->handle);
    io_->handle = INVALID_HANDLE_VALUE;
    ResetEvent(io_->readEvent);
    ResetEvent(io_->writeEvent);
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
    io_->finish(io_->readOp, io_->reading);
    io_->finish(io_->writeOp, io_->writing);
    io_->inFlight.clear();
    io_->queued.clear();
    PurgeComm(io_->handle, PURGE_RXCLEAR | PURGE_TXCLEAR | PURGE_RXABORT | PURGE_TXABORT);
    received_.clear();
    ResetEvent(io_->writeEvent);
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
    if (!isOpen() || io_->reading)
        return;
    ResetEvent(io_->readEvent);
    io_->readOp = OVERLAPPED{};
    io_->readOp.hEvent = io_->readEvent;
    // Ended at once or later, the read sets its event and onReadDone takes the byte.
    if (!ReadFile(io_->handle, &io_->readByte, 1, nullptr, &io_->readOp) &&
        GetLastError() != ERROR_IO_PENDING) {
        hangUp(CommsEvent::HangUp, systemText(GetLastError()));
        return;
    }
    io_->reading = true;
}

void WinSerialPort::onReadDone()
{
    if (!isOpen() || !io_->reading || io_->eventPending)
        return;
    DWORD got = 0;
    if (!GetOverlappedResult(io_->handle, &io_->readOp, &got, FALSE)) {
        const DWORD code = GetLastError();
        if (code == ERROR_IO_INCOMPLETE)
            return; // a late notice of a read that discardBuffers() has replaced
        io_->reading = false;
        hangUp(CommsEvent::HangUp, systemText(code));
        return;
    }
    io_->reading = false;
    if (got == 0) {
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
        rest.hEvent = io_->readEvent;
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
    emit readyRead();
}

void WinSerialPort::startWrite()
{
    if (!isOpen() || io_->writing || io_->queued.empty())
        return;
    io_->inFlight.swap(io_->queued);
    io_->queued.clear();
    ResetEvent(io_->writeEvent);
    io_->writeOp = OVERLAPPED{};
    io_->writeOp.hEvent = io_->writeEvent;
    if (!WriteFile(io_->handle, io_->inFlight.data(), static_cast<DWORD>(io_->inFlight.size()), nullptr,
                   &io_->writeOp) &&
        GetLastError() != ERROR_IO_PENDING) {
        io_->inFlight.clear();
        hangUp(CommsEvent::WriteFailed, systemText(GetLastError()));
        return;
    }
    io_->writing = true;
}

void WinSerialPort::onWriteDone()
{
    if (!isOpen() || !io_->writing || io_->eventPending)
        return;
    DWORD sent = 0;
    if (!GetOverlappedResult(io_->handle, &io_->writeOp, &sent, FALSE)) {
        const DWORD code = GetLastError();
        if (code == ERROR_IO_INCOMPLETE)
            return;
        io_->writing = false;
        io_->inFlight.clear();
        if (code != ERROR_OPERATION_ABORTED)
            hangUp(CommsEvent::WriteFailed, systemText(code));
        return;
    }
    io_->writing = false;
    io_->inFlight.clear();
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

} // namespace emulink
