#pragma once

// Which clock a room keeps. Where chrony or systemd-timesyncd already keep
// the machines' clocks to within a fraction of a millisecond, the system
// clock is better than any exchange through the broker, which cannot see
// the asymmetry of the way there and back. It is trusted only when both
// ends say they are synchronised and the exchange agrees with them.

#include "clock_offset.h"

#include <QString>

#include <optional>

namespace tavrin::rooms {

struct SystemClock {
    bool synchronised = false;
    double errorMs = 0;   // the kernel's estimated error
    QString keeper;       // "chrony", "systemd-timesyncd", "ntp", or empty
};

// This machine's clock as the kernel and the time daemons report it.
SystemClock systemClock();

// Above this the exchange through the broker is as good.
inline constexpr double kTrustedClockErrorMs = 1.0;

// Why a clock that says it is synchronised is not trusted.
enum class Distrust { None, LargeError, Disagrees };

struct ClockChoice {
    bool system = false;   // the system clock: offset zero
    double errorMs = 0;    // what the choice may be wrong by
    Distrust why = Distrust::None;
};

// The room's own clock and the controller's as each reports it, and the
// exchange's estimate: the system clock when both are synchronised well and
// the exchange sees them agree within both errors and half its round trip.
ClockChoice chooseClock(const SystemClock &room, const SystemClock &controller,
                        const std::optional<OffsetEstimate> &measured);

} // namespace tavrin::rooms
