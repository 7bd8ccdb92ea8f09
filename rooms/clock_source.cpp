#include "clock_source.h"

#include <QFile>

#include <chrono>
#include <cmath>
#include <mutex>

#include <sys/timex.h>

namespace tavrin::rooms {

namespace {

QString keeperName()
{
    // Where the daemons leave their mark while they run.
    if (QFile::exists(QStringLiteral("/run/chrony/chronyd.pid")) || QFile::exists(QStringLiteral("/var/run/chronyd.pid")))
        return QStringLiteral("chrony");
    if (QFile::exists(QStringLiteral("/run/systemd/timesync/synchronized")))
        return QStringLiteral("systemd-timesyncd");
    if (QFile::exists(QStringLiteral("/run/ntpd.pid")))
        return QStringLiteral("ntp");
    return {};
}

} // namespace

SystemClock systemClock()
{
    SystemClock c;
    timex t{};
    const int state = ::adjtimex(&t);
    c.synchronised = state != -1 && state != TIME_ERROR && !(t.status & STA_UNSYNC);
    c.errorMs = double(t.esterror) / 1000.0;
    if (c.synchronised) {
        // Asked on every clock answer to every room: the daemon's name is
        // looked up in the file system at most every ten seconds.
        static std::mutex mutex;
        static QString cached;
        static std::chrono::steady_clock::time_point lookedUp;
        const auto now = std::chrono::steady_clock::now();
        std::lock_guard lock(mutex);
        if (lookedUp == std::chrono::steady_clock::time_point{} || now - lookedUp > std::chrono::seconds(10)) {
            cached = keeperName();
            lookedUp = now;
        }
        c.keeper = cached;
    }
    return c;
}

ClockChoice chooseClock(const SystemClock &room, const SystemClock &controller,
                        const std::optional<OffsetEstimate> &measured)
{
    ClockChoice measuredChoice;
    if (measured)
        measuredChoice.errorMs = double(measured->roundTripUs) / 2000.0;
    if (!room.synchronised || !controller.synchronised)
        return measuredChoice;
    if (room.errorMs > kTrustedClockErrorMs || controller.errorMs > kTrustedClockErrorMs) {
        measuredChoice.why = Distrust::LargeError;
        return measuredChoice;
    }
    const double stated = room.errorMs + controller.errorMs;
    // The exchange's own error is half its round trip; beyond both, one of
    // the clocks is not what it says.
    if (measured && std::abs(measured->offsetUs) / 1000.0 > stated + measuredChoice.errorMs + 0.5) {
        measuredChoice.why = Distrust::Disagrees;
        return measuredChoice;
    }
    return {true, stated, {}};
}

} // namespace tavrin::rooms
