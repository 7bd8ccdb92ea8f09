#pragma once

#include "journal.h"

namespace tavrin {

class Engine;
class Form1;
class RecordWindow;

// Before Form_Load, after Form1::attach: the journal observes the engine,
// records every notice the window shows and, after each tick of the clock,
// the mark of the run under way; it is opened (its faults become notices).
// F7 and the window's right-click menu open the exam record.
RecordWindow *attachJournal(Journal &journal, Engine &engine, Form1 &form);

struct JournalStart {
    // A room that follows its controller takes the controller's state, not
    // its own journal's: it starts without the question. The interrupted run
    // then stays in the journal as it is (Journal::interruptedRun()).
    bool askToResume = true;
};

// After Form_Load, before the window is shown: if the journal holds a run
// that was interrupted, asks the operator whether and how to carry it on,
// and does so.
void startJournal(Journal &journal, Engine &engine, Form1 &form, JournalStart start = {});

} // namespace tavrin
