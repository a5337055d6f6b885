#include "FakeClock.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>

#include <algorithm>

namespace emulink {

FakeClock::FakeClock() : now_(TimePoint(std::chrono::hours(12))) {}

bool FakeClock::waitUntil(TimePoint deadline, SerialPort* /*port*/, const std::function<bool()>& done)
{
    ++waitCount_;
    const TimePoint start = now_;
    bool result = false;
    for (;;) {
        // Let the event loop deliver what is posted (replies with no delay, queued signals).
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        if (done && done()) {
            result = true;
            break;
        }
        if (now_ >= deadline)
            break;
        if (!runNextDue(deadline))
            now_ = deadline;
    }
    if (now_ > start)
        waited_ += now_ - start;
    return result;
}

void FakeClock::callAt(TimePoint when, QObject* context, std::function<void()> action)
{
    if (when <= now_) {
        QMetaObject::invokeMethod(context, std::move(action), Qt::QueuedConnection);
        return;
    }
    scheduled_.push_back(Scheduled{when, nextOrder_++, QPointer<QObject>(context), std::move(action)});
}

void FakeClock::advance(Duration by)
{
    const TimePoint target = now_ + by;
    while (runNextDue(target))
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    now_ = std::max(now_, target);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

bool FakeClock::runNextDue(TimePoint limit)
{
    auto next = std::min_element(scheduled_.begin(), scheduled_.end(), [](const auto& a, const auto& b) {
        return a.when != b.when ? a.when < b.when : a.order < b.order;
    });
    if (next == scheduled_.end() || next->when > limit)
        return false;
    Scheduled due = std::move(*next);
    scheduled_.erase(next);
    now_ = std::max(now_, due.when);
    if (due.context)
        due.action();
    return true;
}

} // namespace emulink
