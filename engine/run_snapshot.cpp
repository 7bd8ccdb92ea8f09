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

} // namespace tavrin
