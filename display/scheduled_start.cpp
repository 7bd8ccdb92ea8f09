#include "scheduled_start.h"

#include "engine.h"
#include "form1.h"
#include "frame_port.h"
#include "phase_timer.h"
#include "schedule.h"
#include "texts.h"

#include <QAction>
#include <QDateTime>
#include <QFontInfo>
#include <QFontMetrics>
#include <QInputDialog>

namespace tavrin {

using texts::str;

namespace {
// How late the fallback start may come when no tick of the start second
// will (the grid was moved meanwhile).
constexpr qint64 kFallbackMs = 25;
// A tick due this close to the start second is its tick.
constexpr qint64 kSameSecondMs = 500;
} // namespace

ScheduledStart::ScheduledStart(Engine &engine, Form1 &form, PhaseTimer &clock, QObject *parent)
    : QObject(parent), engine_(engine), form_(form), clock_(clock),
      times_{[] { return QDateTime::currentMSecsSinceEpoch(); }, [&clock] { return clock.dueWallMs(); },
             [&clock] { return clock.nextDueWallMs(); }}
{
    refresh_.setSingleShot(true);
    refresh_.setTimerType(Qt::PreciseTimer);
    connect(&refresh_, &QTimer::timeout, this, &ScheduledStart::refresh);
    // 開始 waits for the start: a click or its key is refused, and said so.
    form.setStartGuard([this] {
        return startMs_ && engine_.runState() == RunState::Idle ? str(texts::startAtButtonWaits).arg(startText())
                                                                : QString();
    });
}

ScheduledStart::~ScheduledStart()
{
    form_.setStartGuard({});
}

void ScheduledStart::addActionsTo(FramePort &frame)
{
    set_ = frame.addMenuAction(str(texts::startAtAction), QKeySequence(Qt::Key_F9));
    connect(set_, &QAction::triggered, this, &ScheduledStart::ask);
    cancel_ = frame.addMenuAction(str(texts::startAtCancelAction), QKeySequence(Qt::SHIFT | Qt::Key_F9));
    cancel_->setEnabled(false);
    connect(cancel_, &QAction::triggered, this, [this] {
        if (startMs_) {
            const QString at = startText();
            cancel();
            form_.notify(str(texts::startAtCancelled).arg(at));
        }
    });
}

QString ScheduledStart::startText() const
{
    return startMs_ ? schedule::clockText(*startMs_, schedule::localZone()) : QString();
}

void ScheduledStart::ask()
{
    if (guard_) {
        if (const QString why = guard_(); !why.isEmpty()) {
            form_.notify(why);
            return;
        }
    }
    const QString proposal = startMs_ ? startText()
                                      : QDateTime::fromMSecsSinceEpoch(times_.now() + 120000).toString(u"HH:mm"_qs);
    bool ok = false;
    const QString text = QInputDialog::getText(&form_, str(texts::startAtTitle), str(texts::startAtPrompt),
                                               QLineEdit::Normal, proposal, &ok);
    if (!ok)
        return;
    if (const QString why = setAt(text); !why.isEmpty())
        form_.notify(why);
    else
        form_.notify(str(texts::startAtSet).arg(startText()));
}

QString ScheduledStart::setAt(const QString &text)
{
    const schedule::Plan p = schedule::planToday(text, times_.now(), schedule::localZone());
    return p.ok() ? setStart(p.startMs) : p.refusal;
}

QString ScheduledStart::setStart(qint64 startMs)
{
    if (engine_.runState() != RunState::Idle)
        return str(texts::startAtNotIdle);
    const qint64 now = times_.now();
    if (startMs - now > schedule::kMaxAheadMs || startMs <= now)
        return str(texts::startAtPassed)
            .arg(schedule::clockText(startMs, schedule::localZone()),
                 schedule::clockText(now, schedule::localZone()));
    const bool changed = startMs_ != startMs;
    startMs_ = startMs;
    // Ticks from now on fall on the start's seconds: the run starts after
    // the tick of the start second, and its first tick is the next one.
    clock_.alignTo(startMs);
    if (cancel_)
        cancel_->setEnabled(true);
    refresh();
    if (changed)
        emit scheduled(startMs);
    return {};
}

void ScheduledStart::cancel()
{
    if (!startMs_)
        return;
    const qint64 was = *startMs_;
    endCountdown();
    emit cancelled(was);
}

void ScheduledStart::endCountdown()
{
    startMs_.reset();
    refresh_.stop();
    if (cancel_)
        cancel_->setEnabled(false);
    if (fontSaved_) {
        form_.setQuestionFont(questionFont_);
        fontSaved_ = false;
    }
    // The engine's own caption back (the one it shows when idle).
    showCaption(engine_.snapshot().question);
    emit countdownChanged(QString());
}

void ScheduledStart::showCaption(const QString &caption)
{
    // Through the window's own setter, so that the room display shows it too.
    form_.setQuestionNumber(caption);
}

void ScheduledStart::refresh()
{
    if (!startMs_)
        return;
    const qint64 now = times_.now();
    const qint64 left = *startMs_ - now;
    if (left <= -kFallbackMs) {
        // The tick of the start second is still to come (a late one): it
        // starts the run. Started now, the run would show its second 1 in
        // that very tick.
        if (std::llabs(times_.nextDue() - *startMs_) < kSameSecondMs)
            refresh_.start(100);
        else
            fire();
        return;
    }
    const QString caption = str(texts::startAtCountdown).arg(schedule::countdown(schedule::secondsLeft(*startMs_, now)));
    if (!fontSaved_) {
        questionFont_ = form_.questionFont();
        fontSaved_ = true;
    }
    form_.setQuestionFont(form_.questionFontFor(questionFont_, caption));
    if (form_.look(Form1::Caption::Question).caption != caption) {
        showCaption(caption);
        emit countdownChanged(caption);
    }
    // Next when the caption changes; in the last second, a little after the
    // start, in case its tick did not start the run.
    qint64 toNext = 0;
    if (left > 1000)
        toNext = (left % 1000 == 0 ? 1000 : left % 1000) + 1;
    else
        toNext = left + kFallbackMs + 1;
    refresh_.start(static_cast<int>(std::max<qint64>(toNext, 1)));
}

void ScheduledStart::fire()
{
    if (!startMs_ || starting_)
        return;
    const qint64 at = *startMs_;
    const qint64 late = times_.now() - at;
    const QString caption = startText();
    endCountdown();
    if (engine_.runState() != RunState::Idle)
        return; // started by other means meanwhile
    starting_ = true;
    try {
        engine_.Command1_Click();
    } catch (const std::exception &e) {
        form_.notify(str(texts::internalError).arg(QString::fromLocal8Bit(e.what())));
    }
    starting_ = false;
    // Started without a tick of that second: the run's ticks still fall on
    // the start's seconds.
    if (std::llabs(times_.due() - at) >= kSameSecondMs)
        clock_.alignTo(at);
    emit started(at, late);
    if (late >= 500)
        form_.notify(str(texts::startAtLate).arg(caption).arg(late));
}

void ScheduledStart::runEvent(const RunEvent &event, const ExamState &)
{
    if (!startMs_ || starting_)
        return;
    switch (event.kind) {
    case RunEventKind::TickHandled:
        // The tick of the start second is over, seen whole by every part:
        // the run starts now, and its first second is the next tick's.
        if (std::llabs(times_.due() - *startMs_) < kSameSecondMs)
            QMetaObject::invokeMethod(this, &ScheduledStart::fire, Qt::QueuedConnection);
        break;
    case RunEventKind::Start:
    case RunEventKind::Adopted:
        // A run that starts otherwise (a room following its controller, a
        // resume) is the start: nothing is left to wait for.
        if (engine_.runState() != RunState::Idle)
            endCountdown();
        break;
    default: break;
    }
}

} // namespace tavrin
