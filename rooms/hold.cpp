#include "hold.h"

#include "engine.h"
#include "protocol.h"
#include "silent_ports.h"

namespace tavrin::rooms {

std::optional<Rejoin> rejoinPoint(const RunSnapshot &run, qint64 dueMs, qint64 nowMs, qint64 leadMs)
{
    if (run.sw != 1)
        return std::nullopt;
    SilentWindow window;
    SilentPlayers players;
    Engine engine(window, players);
    if (!engine.adopt(run))
        return std::nullopt;
    // Two of the longest questions: past them, the run has ended.
    constexpr qint64 kHorizon = 4 * qint64(Integer::kMax) + 4;
    for (qint64 i = 1; i <= kHorizon; ++i) {
        const RunSnapshot before = engine.snapshot();
        const qint64 due = dueMs + i * kPeriodMs;
        const bool inTime = due - nowMs >= leadMs;
        if (inTime && before.t == 1)
            return Rejoin{due, before};
        engine.Timer1_Timer();
        if (engine.state().sw != 1)
            return inTime ? std::optional<Rejoin>(Rejoin{due, before}) : std::nullopt;
    }
    return std::nullopt;
}

} // namespace tavrin::rooms
