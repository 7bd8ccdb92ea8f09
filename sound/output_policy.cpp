#include "output_policy.h"

#include "run_snapshot.h"
#include "sound_bank.h"

namespace tavrin {

void OutputPolicy::runEvent(const RunEvent &event, const ExamState &st)
{
    // Inside a tick the run stands nowhere yet; its end is told as well.
    if (event.kind == RunEventKind::Tick || event.kind == RunEventKind::Question || event.kind == RunEventKind::Cue)
        return;
    // The cues depend on the times and counters alone, not on the captions
    // or the font.
    RunSnapshot s;
    s.time1 = st.time1;
    s.time2 = st.time2;
    s.cycle = st.cycle;
    s.sw = st.sw;
    s.ck = st.ck;
    s.t = st.t;
    s.resetCaption = st.sw == 1 || st.ck != 0;
    bank_.setOutputWanted(ticksToNextCue(s, leadTicks) > 0);
}

} // namespace tavrin
