#pragma once

#include "ports.h"

namespace tavrin {

class Engine;
class SoundBank;

// Keeps the audio output running only while a cue may come at the next tick:
// in between, an idle output costs nothing and keeps the sound server ready,
// so that it is woken a tick ahead of each cue of the clock and its clock
// is known again when the cue sounds. A cue nobody announced (the chime of
// a time entry, a sound check) wakes it by itself and is heard a period or
// two later. Each step that wants the output also checks it: a sound server
// that went away is met afresh before the next cue.
class OutputPolicy : public RunObserver {
public:
    OutputPolicy(SoundBank &bank, const Engine &engine) : bank_(bank), engine_(engine) {}
    void runEvent(const RunEvent &event, const ExamState &state) override;

    // How many ticks ahead of a cue the output is woken.
    static constexpr int leadTicks = 1;

private:
    SoundBank &bank_;
    const Engine &engine_;
};

} // namespace tavrin
