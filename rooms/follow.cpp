#include "follow.h"

#include "engine.h"
#include "silent_ports.h"

#include <cmath>

namespace tavrin::rooms {

namespace {

// A silent window that keeps what the replay of a time entry or a font factor
// writes into the boxes and the list, and reads back.
class ScratchWindow : public SilentWindow {
public:
    QString text(TextBox box) const override { return texts_[static_cast<int>(box)]; }
    void setText(TextBox box, const QString &text) override { texts_[static_cast<int>(box)] = text; }
    int comboIndex() const override { return combo_; }
    void setComboIndex(int index) override { combo_ = index; }

private:
    QString texts_[5];
    int combo_ = -1;
};

bool replayable(StateEvent e)
{
    switch (e) {
    case StateEvent::Start:
    case StateEvent::Pause:
    case StateEvent::Resume:
    case StateEvent::Reset:
    case StateEvent::TimeEntry:
    case StateEvent::FontFactor:
        return true;
    default:
        return false;
    }
}

// Whether the action, done on an engine standing where the room stands,
// leads exactly to the target.
bool replayGives(const RunSnapshot &own, StateEvent event, const RunSnapshot &target)
{
    ScratchWindow window;
    SilentPlayers players;
    Engine engine(window, players);
    if (!engine.adopt(own))
        return false;
    replay(engine, window, event, target);
    return engine.snapshot() == target;
}

} // namespace

FollowDecision decide(const StateMessage &m, double nextTickMs, const RunSnapshot &own)
{
    // Which tick of the controller's grid the room's next one is, counted
    // from the tick the state was taken after.
    const qint64 k = std::llround((nextTickMs - double(m.dueMs)) / kPeriodMs);
    if (k < 1)
        return {FollowStep::Wait, {}};
    const RunSnapshot target = advanced(m.run, k - 1);
    // Replay before "in step": a time entry or a font factor that changed
    // none of the run's values still redrew the controller's grid, and the
    // room must redraw it the same way to show the same dots.
    if (k == 1 && replayable(m.event) && replayGives(own, m.event, target))
        return {FollowStep::Replay, target};
    if (own == target)
        return {FollowStep::InStep, target};
    return {FollowStep::Adopt, target};
}

void replay(Engine &engine, WindowPort &window, StateEvent event, const RunSnapshot &target)
{
    switch (event) {
    case StateEvent::Start:
    case StateEvent::Reset:
        engine.Command1_Click();
        break;
    case StateEvent::Pause:
    case StateEvent::Resume:
        engine.Command2_Click();
        break;
    case StateEvent::TimeEntry:
        window.setText(TextBox::Text1, target.time1.toString());
        window.setText(TextBox::Text2, target.time2.toString());
        window.setText(TextBox::Text3, target.cycle.toString());
        engine.Text_KeyPress(TextBox::Text1, 13);
        break;
    case StateEvent::FontFactor:
        window.setComboIndex(target.fkc.value());
        engine.Combo1_Click();
        break;
    default:
        break;
    }
}

RunSnapshot stopped(const RunSnapshot &run)
{
    ScratchWindow window;
    SilentPlayers players;
    Engine engine(window, players);
    if (!engine.adopt(run))
        return run;
    if (engine.runState() == RunState::Running)
        engine.Command2_Click();
    if (engine.runState() != RunState::Idle)
        engine.Command1_Click();
    return engine.snapshot();
}

} // namespace tavrin::rooms
