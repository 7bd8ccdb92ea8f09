#pragma once

#include "journal.h"
#include "run_snapshot.h"

#include <optional>

namespace tavrin {

class Engine;
class PhaseTimer;

enum class ResumeChoice {
    FromNow,            // where the examination stands now, ticks on the run's own grid
    PausedWhereStopped, // at the last mark, paused: the operator resumes with 再開
    Abandon,            // not carried on; the journal closes the run as abandoned
};

// Where an interrupted run stood and where it would stand now.
struct ResumePlan {
    RunSnapshot stopped;
    RunSnapshot now;
    qint64 ticks = 0;                // ticks of the clock since the last mark
    std::optional<qint64> endWallMs; // when it ended, if it has by now
};

// Ticks due from nextDueWallMs on, one every periodMs, up to and including now.
qint64 ticksSince(qint64 nextDueWallMs, qint64 nowWallMs, int periodMs = 1000);

// Works out where the run stands at nowWallMs with the engine's own tick
// (advanced()): a paused run stays where it was.
ResumePlan planResume(const InterruptedRun &run, qint64 nowWallMs, int periodMs = 1000);

// Puts the engine where the choice says, at this moment, and tells the
// journal that the run carries on (or is abandoned). FromNow also puts the
// clock's ticks back on the run's one-second grid, so that its cues fall
// where they would have. False when the journal's snapshot could not be
// adopted (then the run is abandoned and nothing changed).
bool resume(Journal &journal, Engine &engine, PhaseTimer &clock, const InterruptedRun &run, ResumeChoice choice);

} // namespace tavrin
