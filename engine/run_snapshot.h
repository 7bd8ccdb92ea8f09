#pragma once

#include "integer.h"
#include "programme.h"
#include "texts.h"

#include <QString>

namespace tavrin {

enum class RunState { Idle, Running, Paused, Finished };

// As the buttons decide it: the clock's switch, the question under way, and
// whether the start button reads リセット.
constexpr RunState runStateOf(int sw, int ck, bool resetCaption)
{
    if (sw == 1)
        return RunState::Running;
    if (ck != 0)
        return RunState::Paused;
    return resetCaption ? RunState::Finished : RunState::Idle;
}
// Started and neither ended nor reset: running or paused.
constexpr bool underWay(RunState s)
{
    return s == RunState::Running || s == RunState::Paused;
}

// Everything that makes up where a run stands between two ticks: the exam
// state's times and counters, and what the window shows that the counters
// alone do not tell (the buttons' captions, the question number, the banners).
// A snapshot taken from one engine and adopted by another puts the second
// where the first is: after a restart, or in another room.
struct RunSnapshot {
    Integer time1;
    Integer time2;
    Integer cycle;
    Integer fkc;
    Integer sw;
    Integer ck;
    Integer t;
    bool resetCaption = false;  // Command1 reads "リセット"
    bool resumeCaption = false; // Command2 reads "再開"
    QString question = texts::str(texts::label14);
    bool moveBanner = false;
    bool endBanner = false;
    // A programme's run carries its whole plan and where it stands in it:
    // the part, and the second of its reading time or break still to show
    // (0: the counters above count). time1, time2 and cycle are then the
    // current block's. Empty: the three boxes' plan, time1, time2, cycle.
    Programme plan;
    int part = 0;
    int lead = 0;

    Programme programme() const
    {
        return plan.parts.empty() ? Programme::oneBlock(time1.value(), time2.value(), cycle.value()) : plan;
    }
    RunState state() const { return runStateOf(sw.value(), ck.value(), resetCaption); }
    friend bool operator==(const RunSnapshot &, const RunSnapshot &) = default;
};

// Where the run of s stands after the given number of further ticks of the
// one-second clock, worked out by running the engine's own tick on a window
// and players that show and play nothing. Stops early once nothing can change.
RunSnapshot advanced(const RunSnapshot &s, qint64 ticks);

// In how many ticks the next cue sounds (1: the next tick), looking at most
// horizon ticks ahead; 0 when none does within them. Worked out like
// advanced(), so it knows the cues exactly as the tick plays them.
int ticksToNextCue(const RunSnapshot &s, int horizon);

} // namespace tavrin
