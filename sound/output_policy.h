#pragma once

#include "ports.h"

namespace tavrin {

class SoundBank;

// Keeps the audio output open only while a cue may come: outside a run (the
// chime of a time entry, a sound check) and in the seconds before a cue of a
// running examination. In between, an idle output would wake the mixer tens
// of times a second for nothing.
class OutputPolicy : public RunObserver {
public:
    explicit OutputPolicy(SoundBank &bank) : bank_(bank) {}
    void runEvent(const RunEvent &event, const ExamState &state) override;

    // How many ticks ahead of a cue the output is opened: time enough for
    // the output and the sound server to be running when it sounds.
    static constexpr int leadTicks = 1;

private:
    SoundBank &bank_;
};

} // namespace tavrin
