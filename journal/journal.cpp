#include "journal.h"

#include "engine.h"
#include "texts.h"
#include "version.h"
#include "writer.h"

#include <QDateTime>
#include <QDir>
#include <QMetaObject>

#include <chrono>

namespace tavrin {

using namespace journal;

namespace {

qint64 monoMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

const char *kindKey(RunEventKind k)
{
    switch (k) {
    case RunEventKind::ProgramStart: return "program-start";
    case RunEventKind::Start: return "start";
    case RunEventKind::Pause: return "pause";
    case RunEventKind::Resume: return "resume";
    case RunEventKind::Reset: return "reset";
    case RunEventKind::Question: return "question";
    case RunEventKind::Tick: return "tick";
    case RunEventKind::Cue: return "cue";
    case RunEventKind::End: return "end";
    case RunEventKind::TimeEntry: return "time-entry";
    case RunEventKind::FontFactor: return "font-factor";
    case RunEventKind::Adopted: return "adopted";
    case RunEventKind::Exit: return "exit";
    case RunEventKind::TickHandled: return "tick-handled";
    }
    return "?";
}

// Events after which the run stands somewhere a tick did not put it. The
// question and cue events come in the middle of a tick, where the run stands
// nowhere it could be resumed from; the mark after the tick covers them.
bool movesTheRun(RunEventKind k)
{
    switch (k) {
    case RunEventKind::Start:
    case RunEventKind::Pause:
    case RunEventKind::Resume:
    case RunEventKind::TimeEntry:
    case RunEventKind::FontFactor:
    case RunEventKind::Adopted: return true;
    default: return false;
    }
}

EventItem eventItem(const char *kind, const ExamState &st, qint64 run)
{
    EventItem e;
    e.run = run;
    e.utcMs = QDateTime::currentMSecsSinceEpoch();
    e.monoMs = monoMs();
    e.kind = kind;
    e.ck = st.ck.value();
    e.t = st.t.value();
    e.time1 = st.time1.value();
    e.time2 = st.time2.value();
    e.cycle = st.cycle.value();
    e.sw = st.sw.value();
    e.fkc = st.fkc.value();
    return e;
}

} // namespace

Journal::Journal(const QString &dir, QObject *parent) : QObject(parent), dir_(dir) {}

Journal::~Journal()
{
    finish();
}

void Journal::watch(const Engine &engine, std::function<qint64()> nextDueWallMs)
{
    engine_ = &engine;
    nextDue_ = std::move(nextDueWallMs);
}

void Journal::setCueSound(std::function<CueStatus(int)> cueSound)
{
    cueSound_ = std::move(cueSound);
}

bool Journal::open()
{
    if (writer_)
        return recording();
    // The writer answers on its own thread; these post to this one. The
    // writer is stopped before this object goes, so none can come later.
    WriterReplies replies;
    replies.notice = [this](const QString &text) {
        QMetaObject::invokeMethod(this, [this, text] { emit notice(text); }, Qt::QueuedConnection);
    };
    replies.record = [this](const QList<QStringList> &rows, const QString &error) {
        QMetaObject::invokeMethod(this, [this, rows, error] { emit recordRead(rows, error); }, Qt::QueuedConnection);
    };
    replies.exported = [this](const QString &file, int rows, const QString &error) {
        QMetaObject::invokeMethod(
            this, [this, file, rows, error] { emit exported(file, rows, error); }, Qt::QueuedConnection);
    };
    writer_ = std::make_unique<Writer>(dir_, std::move(replies));
    const OpenOutcome out = writer_->start();
    unsent_ = out.unsent;
    if (out.openHold)
        openHold_ = std::make_shared<HoldEntry>(*out.openHold);
    lastRun_ = out.lastRun;
    interrupted_ = out.interrupted;
    if (!out.notice.isEmpty())
        emit notice(out.notice);
    return out.recording;
}

bool Journal::recording() const
{
    return writer_ && !writer_->off();
}

bool Journal::writing() const
{
    return recording() && !finished_;
}

QString Journal::path() const
{
    return QDir(dir_).filePath(QLatin1String(texts::recordFile));
}

void Journal::runEvent(const RunEvent &event, const ExamState &st)
{
    // The once-a-second mark is renewed after the whole tick.
    if (event.kind == RunEventKind::TickHandled) {
        notePart(false);
        heartbeat();
        return;
    }
    if (event.kind == RunEventKind::Tick || !writing())
        return;
    // Outside a run, a number of questions below zero ends the examination
    // again at every tick, banner and cue: the first end is recorded, the
    // rest counted, and told in one row once something else happens.
    if (!run_ && (event.kind == RunEventKind::End || (event.kind == RunEventKind::Cue && event.player == 3))) {
        if (event.kind == RunEventKind::End ? ++endsAgain_ > 1 : endsAgain_ > 0)
            return;
    } else {
        tellEndsAgain();
    }
    EventItem e = eventItem(kindKey(event.kind), st, 0);
    switch (event.kind) {
    case RunEventKind::ProgramStart: e.detail = QStringLiteral("Tavrin ver. " TAVRIN_VERSION); break;
    case RunEventKind::Cue:
        e.player = event.player;
        if (cueSound_) {
            const CueStatus c = cueSound_(event.player);
            e.cueSource = c.source;
            e.detail = c.source == CueSource::OwnFile ? c.file : c.reason;
        }
        break;
    case RunEventKind::TimeEntry: e.old = {event.before[0], event.before[1], event.before[2], std::nullopt}; break;
    case RunEventKind::FontFactor: e.old[3] = event.before[0]; break;
    case RunEventKind::Adopted:
        // Another run's position taken over (a room following its
        // controller): the interrupted run will not be carried on, and is
        // closed rather than left open for ever.
        if (!continuing_ && interrupted_)
            abandonRun(interrupted_->id, texts::str(texts::abandonedForOther));
        e.detail = std::exchange(adoptDetail_, QString());
        if (continuing_) {
            if (interrupted_ && interrupted_->id == continuing_)
                interrupted_.reset(); // carried on: no longer waiting for an answer
            run_ = std::exchange(continuing_, 0);
        }
        break;
    case RunEventKind::Exit: exited_ = true; break;
    default: break;
    }

    const RunState state = engine_ ? engine_->runState() : RunState::Idle;
    const bool going = underWay(state);
    const bool opening = going && !run_;
    if (opening) {
        run_ = ++lastRun_;
        ended_ = 0;
        writer_->push(OpenRunItem{markItem()});
    }
    e.run = run_ ? run_ : ended_;
    writer_->push(std::move(e));
    if (event.kind == RunEventKind::Start)
        notePart(true);
    if (run_ && !going) {
        const bool finished = state == RunState::Finished;
        writer_->push(CloseRunItem{run_, finished ? "ended" : "reset", QDateTime::currentMSecsSinceEpoch()});
        ended_ = finished ? run_ : 0;
        run_ = 0;
    } else if (run_ && !opening && movesTheRun(event.kind)) {
        writer_->push(markItem());
    }
    if (state == RunState::Idle)
        ended_ = 0;
}

// Each part of a programme's run as it begins: on the tick that ended the
// one before (the first with the start), against when it was due had the
// run not been paused.
void Journal::notePart(bool starting)
{
    if (!engine_ || !engine_->programmed() || !run_ || !writing()) {
        lastPart_ = -1;
        return;
    }
    const int part = engine_->part();
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (starting)
        partsFromMs_ = now;
    else if (part == lastPart_ || !underWay(engine_->runState()))
        return;
    if (lastPart_ < 0 && !starting)
        partsFromMs_ = 0; // taken up in the middle: when it was due is not known here
    lastPart_ = part;
    const Programme plan = engine_->plan();
    if (part < 0 || part >= int(plan.parts.size()))
        return;
    const Part &p = plan.parts[std::size_t(part)];
    const auto clock = [](qint64 ms) {
        return ms ? QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("HH:mm:ss.zzz")) : QStringLiteral("-");
    };
    const QString what =
        p.kind == Part::Kind::Break
            ? texts::str(texts::partBreak).arg(p.seconds)
            : texts::str(texts::partBlock).arg(p.questions).arg(p.answer).arg(p.move).arg(p.reading);
    const qint64 due = partsFromMs_ ? partsFromMs_ + plan.starts()[std::size_t(part)] * 1000 : 0;
    EventItem e = eventItem("part", engine_->state(), run_);
    e.detail = texts::str(texts::partDetail).arg(QString::number(part + 1), what, clock(due), clock(now));
    writer_->push(std::move(e));
}

MarkItem Journal::markItem() const
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    return MarkItem{run_, engine_->snapshot(), nextDue_ ? nextDue_() : now, now, monoMs()};
}

// Outside the run's own events: in the run under way, or the one whose end
// is on view.
EventItem Journal::entry(const char *kind) const
{
    return eventItem(kind, engine_ ? engine_->state() : ExamState{}, run_ ? run_ : ended_);
}

void Journal::tellEndsAgain()
{
    const int ends = std::exchange(endsAgain_, 0);
    if (ends < 2)
        return;
    EventItem e = entry("end-repeated");
    e.player = 3;
    e.detail = QString::number(ends - 1);
    writer_->push(std::move(e));
}

void Journal::heartbeat()
{
    if (writing() && run_ && engine_)
        writer_->push(markItem());
}

void Journal::recordNotice(const QString &text)
{
    if (!writing())
        return;
    EventItem e = entry("notice");
    e.detail = text;
    writer_->push(std::move(e));
}

void Journal::recordLateCue(int player, qint64 lateMs)
{
    if (!writing())
        return;
    EventItem e = entry("cue-late");
    e.player = player;
    e.detail = QString::number(lateMs);
    writer_->push(std::move(e));
}

void Journal::recordDroppedCue(int player)
{
    if (!writing())
        return;
    EventItem e = entry("cue-dropped");
    e.player = player;
    writer_->push(std::move(e));
}

void Journal::recordEntry(const char *kind, const QString &detail)
{
    if (!writing())
        return;
    EventItem e = entry(kind);
    e.detail = detail;
    writer_->push(std::move(e));
}

void Journal::recordPlayedCue(const PlayedCue &cue, CueProof proof)
{
    if (!writing())
        return;
    writer_->push(CueItem{cue, proof, QDateTime::currentMSecsSinceEpoch()});
}

void Journal::continueRun(qint64 id, const QString &detail)
{
    continuing_ = id;
    adoptDetail_ = detail;
    lastRun_ = std::max(lastRun_, id);
}

void Journal::abandonRun(qint64 id, const QString &detail)
{
    if (interrupted_ && interrupted_->id == id)
        interrupted_.reset();
    if (!writing())
        return;
    EventItem e = eventItem("abandon", engine_ ? engine_->state() : ExamState{}, id);
    e.detail = detail;
    writer_->push(std::move(e));
    writer_->push(CloseRunItem{id, "abandoned", QDateTime::currentMSecsSinceEpoch()});
}

void Journal::abortRun()
{
    recordAbort(texts::str(texts::abortedByClose));
}

void Journal::recordAbort(const QString &detail)
{
    if (!writing() || !run_)
        return;
    EventItem e = eventItem("abort", engine_ ? engine_->state() : ExamState{}, run_);
    e.detail = detail;
    writer_->push(std::move(e));
    writer_->push(CloseRunItem{run_, "aborted", QDateTime::currentMSecsSinceEpoch()});
    run_ = 0;
    ended_ = 0;
}

void Journal::finish(Ending how, const QString &why)
{
    if (finished_ || !writer_)
        return;
    if (writing())
        tellEndsAgain();
    if (writing() && !exited_) {
        const bool system = how == Ending::System;
        EventItem e = entry(system ? "system-end" : "close");
        e.detail = system ? texts::str(texts::endedBySystem).arg(why) : texts::str(texts::closedByWindow);
        writer_->push(std::move(e));
    }
    finished_ = true;
    writer_->stop();
}

void Journal::flush()
{
    if (!writer_ || finished_)
        return;
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> written = done->get_future();
    writer_->push(FlushItem{done});
    written.wait();
}

void Journal::readRecord()
{
    if (writer_ && !finished_) {
        writer_->push(ReadItem{});
        return;
    }
    QMetaObject::invokeMethod(
        this, [this] { emit recordRead({}, texts::str(texts::recordUnavailable)); }, Qt::QueuedConnection);
}

void Journal::exportCsv(const QString &file)
{
    if (writer_ && !finished_) {
        writer_->push(ReadItem{file});
        return;
    }
    QMetaObject::invokeMethod(
        this, [this, file] { emit exported(file, 0, texts::str(texts::recordUnavailable)); }, Qt::QueuedConnection);
}

std::optional<HoldEntry> Journal::takeOpenHold()
{
    const std::shared_ptr<HoldEntry> h = std::exchange(openHold_, nullptr);
    return h ? std::optional<HoldEntry>(*h) : std::nullopt;
}

void Journal::recordHold(const journal::HoldEntry &hold)
{
    if (writing())
        writer_->push(journal::HoldItem{hold});
}

void Journal::exportHoldsCsv(const QString &file)
{
    if (writer_ && !finished_) {
        writer_->push(journal::ReadItem{file, true});
        return;
    }
    QMetaObject::invokeMethod(
        this, [this, file] { emit exported(file, 0, texts::str(texts::recordUnavailable)); }, Qt::QueuedConnection);
}

} // namespace tavrin
