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
    Undecided,          // no answer (the program is ending): the run stays as it is
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

// For a part of the program that decides on its own what becomes of an
// interrupted run (a room following its controller starts with
// JournalStart{.askToResume = false}, see journal_wiring.h): where the run
// journal.interruptedRun() stopped, on its grid. Empty when the journal
// holds no interrupted run.
struct ResumePoint {
    qint64 run = 0;            // the run's number in the journal
    RunSnapshot last;          // where it stood at its last mark
    qint64 markTickWallMs = 0; // when the tick that last was taken after was due
};
std::optional<ResumePoint> resumePoint(const Journal &journal, int periodMs = 1000);

// The same part's decision to go on with that run itself: the journal is told
// that the run carries on, and where it stood is returned. Empty, and nothing
// told, when there is no such run.
std::optional<ResumePoint> carryOnAlone(Journal &journal);

} // namespace tavrin
