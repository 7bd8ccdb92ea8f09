#pragma once

#include "programme.h"

#include <QtGlobal>

namespace tavrin {

// What a second of a run shows.
enum class ProgrammePhase { Reading, Answering, Moving, Break, End };

// Where one second of a run falls in its plan.
struct ProgrammePosition {
    int part = 0;       // index of the part; parts.size() once the run is over
    int question = 0;   // 1.. within its block (numbers start again in each); 0 in a break
    ProgrammePhase phase = ProgrammePhase::End;
    qint64 second = 0;  // 1.. within the phase
    qint64 left = 0;    // seconds of the phase still to come, this one included
    friend bool operator==(const ProgrammePosition &, const ProgrammePosition &) = default;
};

// Second n of a run (1: what the first tick after the start shows). Parts
// that last no time are passed over, as the run passes them.
ProgrammePosition positionAt(const Programme &plan, qint64 n);

// Whether the engine can run the plan, within programme_limits (parts it
// can count with its 16-bit integers, at most 100 of them and 24 hours in
// all, short banners). Anything from a file or the network is checked so.
bool runnable(const Programme &plan);

} // namespace tavrin
