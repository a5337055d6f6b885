#include "SteadyClock.h"

#include "SerialPort.h"

#include <QEventLoop>
#include <QMetaObject>
#include <QTimer>

#include <algorithm>

namespace emulink {

Clock::TimePoint SteadyClock::now() const
{
    return std::chrono::steady_clock::now();
}

bool SteadyClock::waitUntil(TimePoint deadline, SerialPort* port, const std::function<bool()>& done)
{
    const auto finished = [&] { return done && done(); };
    if (finished())
        return true;

    QEventLoop loop;
    QTimer timer;
    // A coarse timer may fire 10 % early; protocol bounds need the precise one.
    timer.setTimerType(Qt::PreciseTimer);
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    if (port != nullptr && done) {
        QObject::connect(port, &SerialPort::readyRead, &loop, [&] {
            if (finished())
                loop.quit();
        });
        QObject::connect(port, &SerialPort::commsError, &loop, [&] {
            if (finished())
                loop.quit();
        });
    }

    for (;;) {
        if (finished())
            return true;
        const auto remaining = deadline - now();
        if (remaining <= Duration::zero())
            return false;
        const auto ms = std::chrono::ceil<std::chrono::milliseconds>(remaining).count();
        timer.start(static_cast<int>(std::min<long long>(ms, 24LL * 3600 * 1000)));
        // Keys and clicks stay queued until the wait is over, so they arrive in order after it.
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
}

void SteadyClock::callAt(TimePoint when, QObject* context, std::function<void()> action)
{
    const auto remaining = when - now();
    if (remaining <= Duration::zero()) {
        QMetaObject::invokeMethod(context, std::move(action), Qt::QueuedConnection);
        return;
    }
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(remaining).count();
    QTimer::singleShot(std::chrono::milliseconds(ms), Qt::PreciseTimer, context, std::move(action));
}

} // namespace emulink
