#pragma once

#include <QString>

namespace tavrin {

class Engine;
class FramePort;
class Journal;
class PhaseTimer;
class ScheduledStart;

struct ScheduleStartup {
    // Whether a start that the journal holds is taken up (a room takes its
    // start from its controller instead).
    bool restore = true;
    // --start-at: HH:MM[:SS] today, or empty.
    QString startAt;
};

// After startJournal(): every start set or cancelled is journalled; a start
// the journal holds is waited for again if it is still ahead, offered as a
// run that started then (the question after an interruption) if it passed
// while the program was not running, and dropped if that run would be over;
// then --start-at sets one.
void attachScheduledStart(ScheduledStart &start, Journal &journal, Engine &engine, PhaseTimer &clock, FramePort &frame,
                          const ScheduleStartup &startup);

} // namespace tavrin
