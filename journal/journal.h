#pragma once

#include "ports.h"
#include "run_snapshot.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

namespace tavrin {

class Engine;

namespace journal {
struct HoldEntry;
class Writer;
struct EventItem;
struct MarkItem;
} // namespace journal

// A run that the journal shows never reached a reset, an end or an exit:
// the program died, or its window was closed, while it was under way.
struct InterruptedRun {
    qint64 id = 0;
    RunSnapshot last;           // where it stood at its last mark
    qint64 nextDueWallMs = 0;   // when the tick after that mark was due: the run's one-second grid
    qint64 markWallMs = 0;      // when that mark was made; it stopped within the second after
    bool closedByWindow = false;
};

// The journal of every run, in SQLite (WAL) in the working folder: each event
// of a run is a row as it happens, and while a run is under way a mark of
// where it stands is renewed every second. The rows go to a writer thread of
// their own, so that no commit ever holds up the clock.
//
// Its faults never stop an examination: a journal that cannot be opened, is
// used by another Tavrin in the same folder, is read-only, damaged, full or
// disappears is told to the operator once through notice(), and the program
// goes on without it (or with a fresh one, the damaged file kept aside).
class Journal : public QObject, public RunObserver {
    Q_OBJECT
public:
    explicit Journal(const QString &dir, QObject *parent = nullptr);
    ~Journal() override;

    // What the journal asks of the program: where the run stands, when the
    // clock's next tick is due (wall clock, ms since the epoch), and how a
    // cue sounded. Set before the first event.
    void watch(const Engine &engine, std::function<qint64()> nextDueWallMs);
    void setCueSound(std::function<CueStatus(int player)> cueSound);

    // Takes the journal's lock, opens or creates the file, checks and
    // migrates it, and finds an interrupted run. False when the program goes
    // on without a journal (notice() says why).
    bool open();
    bool recording() const;
    QString path() const;

    // The run to offer to resume, if any (found by open()).
    const std::optional<InterruptedRun> &interruptedRun() const { return interrupted_; }
    // The next Adopted event carries on run id (the resume), with detail.
    void continueRun(qint64 id, const QString &detail);
    // Run id is not carried on; it is closed as abandoned.
    void abandonRun(qint64 id, const QString &detail);

    // After each tick of the clock (RunEventKind::TickHandled): renews the
    // mark of the run under way.
    void heartbeat();
    // A message shown to the operator.
    void recordNotice(const QString &text);
    // What the speaker did with a cue recorded as played: the output came
    // too late for it, and it started lateMs after its time, or not at all.
    void recordLateCue(int player, qint64 lateMs);
    void recordDroppedCue(int player);
    // The proof of a cue: a room's cue kept until sent, marked sent, or one
    // the controller took (its own or a room's report; each once).
    void recordPlayedCue(const tavrin::PlayedCue &cue, tavrin::CueProof proof);
    // A room's cues kept and never sent before this start (found by open()), once.
    QList<PlayedCue> takeUnsentCues() { return std::exchange(unsent_, {}); }
    // A room's own hold that stood when its program stopped (found by open()), once.
    std::optional<journal::HoldEntry> takeOpenHold();
    // The operator closed the window during a run and confirmed it: the run
    // under way is closed as aborted, and is not offered to be carried on.
    void abortRun();
    // The same, for another reason given as detail (a room whose controller aborted).
    void recordAbort(const QString &detail);
    // How the program ended when the exit button did not end it.
    enum class Ending { Window, System };
    // After the event loop: records that the window was closed (or that the
    // system asked the program to end, with why) if the exit button did not
    // end the program, writes what is left, stops the writer. A run under
    // way stays open: the next start offers to carry it on.
    void finish(Ending how = Ending::Window, const QString &why = {});
    // An entry of a kind of its own (a start at a time of day set or
    // cancelled); kind is a literal.
    void recordEntry(const char *kind, const QString &detail);
    // Waits until everything recorded so far is written.
    void flush();

    // The whole record, as the window shows it: answered by recordRead().
    void readRecord();
    // The whole record as a CSV file: answered by exported().
    void exportCsv(const QString &file);
    // A room's hold that ended, each once; and the holds alone as a CSV of
    // incidents (answered by exported()).
    void recordHold(const journal::HoldEntry &hold);
    void exportHoldsCsv(const QString &file);

    void runEvent(const RunEvent &event, const ExamState &state) override;

signals:
    void notice(const QString &text);
    void recordRead(const QList<QStringList> &rows, const QString &error);
    void exported(const QString &file, int rows, const QString &error);

private:
    journal::MarkItem markItem() const;
    journal::EventItem entry(const char *kind) const;
    void tellEndsAgain();
    bool writing() const;
    void notePart(bool starting);

    QString dir_;
    std::unique_ptr<journal::Writer> writer_;
    const Engine *engine_ = nullptr;
    std::function<qint64()> nextDue_;
    std::function<CueStatus(int)> cueSound_;
    std::optional<InterruptedRun> interrupted_;
    QList<PlayedCue> unsent_;
    std::shared_ptr<journal::HoldEntry> openHold_;
    qint64 lastRun_ = 0;
    qint64 run_ = 0;      // the run under way (running or paused)
    qint64 ended_ = 0;    // the run whose end is on view until a reset
    qint64 continuing_ = 0;
    QString adoptDetail_;
    int endsAgain_ = 0; // ends outside a run in a row (see runEvent)
    bool exited_ = false;
    bool finished_ = false;
    // A programme's run: the part last recorded, and when the run started
    // (0: not known here, as after a resume), from which its parts are due.
    int lastPart_ = -1;
    qint64 partsFromMs_ = 0;
};

} // namespace tavrin
