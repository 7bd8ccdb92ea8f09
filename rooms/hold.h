#pragma once

// Where a released room rejoins the circuit. Worked out from the run's
// snapshot alone, by the engine's own tick, so that it follows whatever
// shape the run has.

#include "run_snapshot.h"

#include <QtGlobal>

#include <optional>

namespace tavrin::rooms {

// run stands as of its tick due at dueMs; the room takes up the circuit on
// the tick that starts a question (the first of its reading time, if it has
// one: the candidates read the station first; never a tick of a break), or
// on the one that ends the run if no question is left, and only on one due at least leadMs after nowMs: a
// release too late for the next question waits for the one after. Empty
// while the run is not running.
struct Rejoin {
    qint64 dueMs = 0;   // the tick the room rejoins on
    RunSnapshot before; // the run as it stands just before that tick
    bool atQuestion = false; // false: the run's end
};
std::optional<Rejoin> rejoinPoint(const RunSnapshot &run, qint64 dueMs, qint64 nowMs, qint64 leadMs);

// A released room needs this long before its rejoin tick to be sure to be
// in place for it.
inline constexpr qint64 kRejoinLeadMs = 400;

} // namespace tavrin::rooms
