#pragma once

#include "ports.h"

namespace tavrin {

class SoundBank;

// Keeps the audio output open, and asks for it again at every step of the
// run: a sound server that went away is met afresh before the next cue.
// It is not closed between the cues of a run: a cue is placed on the
// output's own clock, which is known well only on an output that has been
// running for a while. Closed between cues and opened a tick ahead of one,
// a cue sounded 9 to 19 ms early and its stated start was as much late.
class OutputPolicy : public RunObserver {
public:
    explicit OutputPolicy(SoundBank &bank) : bank_(bank) {}
    void runEvent(const RunEvent &event, const ExamState &state) override;

private:
    SoundBank &bank_;
};

} // namespace tavrin
