#pragma once

// A start at a time of day: F9 sets it (today, HH:MM[:SS]), Shift+F9
// cancels it. Until it comes, the place of the question number counts down
// and 開始 waits; at that second the run starts, so that its first tick is
// due one period later. The clock is put on the start's grid as soon as the
// start is set, so that the start follows the tick of that very second.

#include "ports.h"

#include <QFont>
#include <QObject>
#include <QTimer>

#include <functional>
#include <optional>

class QAction;

namespace tavrin {

class Engine;
class Form1;
class FramePort;
class PhaseTimer;

// Where a start reads the time, in ms since the epoch: now, when the tick
// being handled (or the last one) was due, and when the next one is due.
struct StartTimes {
    std::function<qint64()> now;
    std::function<qint64()> due;
    std::function<qint64()> nextDue;
};

// Told of the engine's events (add it as an observer): it starts the run
// after the engine has handled the tick of the start second, whatever order
// the parts were built and attached in.
class ScheduledStart : public QObject, public RunObserver {
    Q_OBJECT
public:
    ScheduledStart(Engine &engine, Form1 &form, PhaseTimer &clock, QObject *parent = nullptr);
    ~ScheduledStart() override;

    // F9 and Shift+F9 on the window's right-click menu.
    void addActionsTo(FramePort &frame);
    // When set and it returns a text, setting a start is refused with it (a
    // room takes its start from its controller).
    void setGuard(std::function<QString()> guard) { guard_ = std::move(guard); }

    // Today's HH:MM[:SS]: empty, or why not (nothing changed then).
    QString setAt(const QString &text);
    // An instant on this machine's clock, a whole second (ms since the
    // epoch): from the journal or from the controller. Empty, or why not.
    QString setStart(qint64 startMs);
    void cancel();
    // The wall clock and the clock's grid unless a test drives them.
    void setTimes(StartTimes times) { times_ = std::move(times); }
    std::optional<qint64> start() const { return startMs_; }
    // The time-of-day caption of the start, "HH:MM:SS".
    QString startText() const;

    void runEvent(const RunEvent &event, const ExamState &state) override;

signals:
    void scheduled(qint64 startMs);
    void cancelled(qint64 startMs);
    // The run was started for the start at startMs, lateMs after it.
    void started(qint64 startMs, qint64 lateMs);
    // What stands where the question number does, every second; empty
    // when the countdown is over (the browser views follow it).
    void countdownChanged(const QString &caption);

private:
    void ask();
    void refresh();
    void fire();
    void endCountdown();
    void showCaption(const QString &caption);

    Engine &engine_;
    Form1 &form_;
    PhaseTimer &clock_;
    StartTimes times_;
    std::function<QString()> guard_;
    std::optional<qint64> startMs_;
    QTimer refresh_;
    QFont questionFont_;
    bool fontSaved_ = false;
    bool starting_ = false;
    QAction *set_ = nullptr;
    QAction *cancel_ = nullptr;
};

} // namespace tavrin
