#pragma once

// What a room does with the controller's latest state: the decision alone,
// free of clocks and the network, so that it can be checked tick by tick.

#include "protocol.h"
#include "run_snapshot.h"

namespace tavrin {
class Engine;
class WindowPort;
} // namespace tavrin

namespace tavrin::rooms {

enum class FollowStep {
    Wait,   // the room has still to show a tick that the state already holds
    InStep, // the room already stands where the controller stands
    Replay, // the operator's action, done once more on the room's engine
    Adopt,  // the room is put where the controller's run stands
};

struct FollowDecision {
    FollowStep step = FollowStep::Wait;
    RunSnapshot target;
};

// m is the controller's state as of its tick due at m.dueMs; nextTickMs is
// when the room's own next tick falls, on the controller's time line. The
// room must then stand where m's run stands after the controller's ticks
// due before that one.
FollowDecision decide(const StateMessage &m, double nextTickMs, const RunSnapshot &own);

// Does an operator's action again on an engine, as the click, the Enter or
// the choice in the list did it on the controller: target gives the times
// and the font factor that were taken. Other events do nothing.
void replay(Engine &engine, WindowPort &window, StateEvent event, const RunSnapshot &target);

// Where the operator's reset (after a pause, if it runs) leaves run.
RunSnapshot stopped(const RunSnapshot &run);

} // namespace tavrin::rooms
