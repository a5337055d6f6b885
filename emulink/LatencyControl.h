// The receive latency of USB serial adapters. Their drivers hold received bytes back for up to 16 ms
// by default before passing them on, which adds up to 16 ms to every reply the link waits for. After
// opening a port, QtSerialPort asks the driver for low latency through a LatencyControl; where that
// cannot be done, the user is told once how to set it by hand (lowLatencyAdvice).
#pragma once

#include <QString>

#include <memory>

class QSerialPort;

namespace emulink {

class LatencyControl
{
  public:
    enum class Answer {
        Lowered,    // the driver passes bytes on at once now (or already did)
        NotTaken,   // the device has no such setting (a pseudo-terminal, a built-in port): nothing to say
        NotLowered, // a USB serial adapter keeps its delay: the driver refused, or this system cannot ask
    };
    struct Result
    {
        Answer answer = Answer::NotTaken;
        QString reason; // the system's words for a refusal; may be empty
    };

    virtual ~LatencyControl();
    // Asks the driver of the open port for low latency. Leaves the port open and its settings as they
    // were otherwise; never blocks.
    virtual Result requestLowLatency(QSerialPort& port) = 0;
};

// The control of this system: on Linux the driver's low-latency flag (TIOCSSERIAL); elsewhere there is
// no way to ask, and a USB serial adapter is answered NotLowered.
std::unique_ptr<LatencyControl> makeSystemLatencyControl();

enum class Platform { Linux, Windows, MacOS, Other };
#if defined(Q_OS_LINUX)
inline constexpr Platform kThisPlatform = Platform::Linux;
#elif defined(Q_OS_WIN)
inline constexpr Platform kThisPlatform = Platform::Windows;
#elif defined(Q_OS_MACOS)
inline constexpr Platform kThisPlatform = Platform::MacOS;
#else
inline constexpr Platform kThisPlatform = Platform::Other;
#endif

// The status line for a NotLowered answer on the named device: what it costs and where the setting is
// (Linux: the adapter's latency_timer in sysfs, named after the device's last path component; Windows:
// Device Manager; elsewhere the driver's settings). Empty for the other answers.
QString lowLatencyAdvice(const LatencyControl::Result& result, const QString& deviceName,
                         Platform platform = kThisPlatform);

} // namespace emulink
