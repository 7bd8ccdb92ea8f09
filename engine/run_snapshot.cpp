#include "run_snapshot.h"

#include "engine.h"
#include "silent_ports.h"

namespace tavrin {

RunSnapshot advanced(const RunSnapshot &s, qint64 ticks)
{
    SilentWindow window;
    SilentPlayers players;
    Engine engine(window, players);
    if (!engine.adopt(s))
        return s;
    const ExamState &st = engine.state();
    for (qint64 i = 0; i < ticks; ++i) {
        const bool running = st.sw == 1;
        // Outside a run a tick changes something only when it ends the
        // examination, and then only once.
        if (!running && !(st.ck > st.cycle))
            break;
        engine.Timer1_Timer();
        if (!running)
            break;
    }
    return engine.snapshot();
}

namespace {
class CountingPlayers : public SilentPlayers {
public:
    int plays = 0;
    void command(int, PlayerCommand cmd) override
    {
        if (cmd == PlayerCommand::Play)
            ++plays;
    }
};
} // namespace

int ticksToNextCue(const RunSnapshot &s, int horizon)
{
    SilentWindow window;
    CountingPlayers players;
    Engine engine(window, players);
    if (!engine.adopt(s))
        return 0;
    for (int i = 1; i <= horizon; ++i) {
        engine.Timer1_Timer();
        if (players.plays > 0)
            return i;
    }
    return 0;
}

} // namespace tavrin
