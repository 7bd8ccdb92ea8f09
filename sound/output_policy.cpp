#include "output_policy.h"

#include "sound_bank.h"

namespace tavrin {

void OutputPolicy::runEvent(const RunEvent &, const ExamState &)
{
    bank_.setOutputWanted(true);
}

} // namespace tavrin
