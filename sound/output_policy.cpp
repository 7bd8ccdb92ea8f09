#include "output_policy.h"

#include "engine.h"
#include "run_snapshot.h"
#include "sound_bank.h"

namespace tavrin {

void OutputPolicy::runEvent(const RunEvent &event, const ExamState &)
{
    // Inside a tick the run stands nowhere yet; the end of the tick is told too.
    if (event.kind == RunEventKind::Tick || event.kind == RunEventKind::Question || event.kind == RunEventKind::Cue)
        return;
    bank_.setOutputWanted(ticksToNextCue(engine_.snapshot(), leadTicks) > 0);
}

} // namespace tavrin
