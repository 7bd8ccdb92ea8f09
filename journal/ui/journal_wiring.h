#pragma once

#include "journal.h"

namespace tavrin {

class Engine;
class FramePort;
class PhaseTimer;
class RecordWindow;

// The journal observes the engine (its mark after each whole tick) and tells
// the operator of its faults through the window; F7 and the window's
// right-click menu open the exam record. The notices the window shows are the
// session's to pass on (recordNotice). Open the journal after this and before
// Form_Load.
RecordWindow *attachJournal(Journal &journal, Engine &engine, const PhaseTimer &clock, FramePort &frame);

struct JournalStart {
    // A room that follows its controller takes the controller's state, not
    // its own journal's: it starts without the question. The interrupted run
    // then stays in the journal as it is (Journal::interruptedRun()).
    bool askToResume = true;
};

// After Form_Load, before the window is shown: if the journal holds a run
// that was interrupted, asks the operator whether and how to carry it on,
// and does so.
void startJournal(Journal &journal, Engine &engine, PhaseTimer &clock, FramePort &frame, JournalStart start = {});

} // namespace tavrin
