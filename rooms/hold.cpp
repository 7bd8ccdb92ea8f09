#include "hold.h"

#include "engine.h"
#include "protocol.h"
#include "silent_ports.h"

namespace tavrin::rooms {

namespace {

// Whether the next tick after s starts a question.
bool startsQuestion(const RunSnapshot &s)
{
    if (s.part < 0 || s.part >= int(s.plan.parts.size()))
        return s.t == 1;
    const Part &p = s.plan.parts[size_t(s.part)];
    if (p.kind == Part::Kind::Break)
        return false;
    // With reading time the answering time's first tick is the middle of
    // the question: its cue belongs to those who read the station.
    return p.reading > 0 ? s.lead == 1 : s.t == 1;
}

} // namespace

std::optional<Rejoin> rejoinPoint(const RunSnapshot &run, qint64 dueMs, qint64 nowMs, qint64 leadMs)
{
    if (run.sw != 1)
        return std::nullopt;
    SilentWindow window;
    SilentPlayers players;
    Engine engine(window, players);
    if (!engine.adopt(run))
        return std::nullopt;
    // Two of the longest questions, or a whole day of a programme: past
    // them, the run has ended.
    constexpr qint64 kHorizon = 4 * qint64(Integer::kMax) + 4;
    for (qint64 i = 1; i <= kHorizon; ++i) {
        const RunSnapshot before = engine.snapshot();
        const qint64 due = dueMs + i * kPeriodMs;
        const bool inTime = due - nowMs >= leadMs;
        if (inTime && startsQuestion(before))
            return Rejoin{due, before, true};
        engine.Timer1_Timer();
        if (engine.state().sw != 1)
            return inTime ? std::optional<Rejoin>(Rejoin{due, before, false}) : std::nullopt;
    }
    return std::nullopt;
}

} // namespace tavrin::rooms
