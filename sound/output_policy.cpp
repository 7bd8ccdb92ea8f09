#include "output_policy.h"

#include "run_snapshot.h"
#include "sound_bank.h"

namespace tavrin {

void OutputPolicy::runEvent(const RunEvent &, const ExamState &st)
{
    if (st.sw != 1) {
        bank_.setOutputWanted(true);
        return;
    }
    RunSnapshot s;
    s.time1 = st.time1;
    s.time2 = st.time2;
    s.cycle = st.cycle;
    s.fkc = 0; // the font factor plays no part in the cues
    s.sw = st.sw;
    s.ck = st.ck;
    s.t = st.t;
    s.resetCaption = true; // a running examination's start button reads リセット
    bank_.setOutputWanted(ticksToNextCue(s, leadTicks) > 0);
}

} // namespace tavrin
