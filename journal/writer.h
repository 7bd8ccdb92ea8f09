#pragma once

// The journal's writer thread: it alone touches the file. The UI thread only
// queues items, which costs it a few microseconds whatever the disk does.

#include "holds.h"
#include "journal.h"
#include "run_snapshot.h"

#include <QString>
#include <QStringList>

#include <array>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <variant>

class QLockFile;
class QSqlError;

namespace tavrin::journal {

struct EventItem {
    qint64 run = 0;
    qint64 utcMs = 0;
    qint64 monoMs = 0;
    const char *kind = "";
    int player = 0;
    CueSource cueSource = CueSource::NotOpen; // stored as NULL: not a cue, or nobody knows
    QString detail;
    std::array<std::optional<int>, 4> old{};
    int ck = 0, t = 0, time1 = 0, time2 = 0, cycle = 0, sw = 0, fkc = 0;
};
struct MarkItem {
    qint64 run = 0;
    RunSnapshot snapshot;
    qint64 nextDueWallMs = 0;
    qint64 utcMs = 0;
    qint64 monoMs = 0;
};
// A run is never without a mark, so it opens with one.
struct OpenRunItem {
    MarkItem mark;
};
struct CloseRunItem {
    qint64 run = 0;
    const char *state = "";
    qint64 utcMs = 0;
};
// A played cue's proof (PlayedCue): kept or taken as a row, or marked sent.
struct CueItem {
    PlayedCue cue;
    CueProof proof = CueProof::Kept;
    qint64 utcMs = 0;
};
// A room's hold, once it ended.
struct HoldItem {
    HoldEntry hold;
};
// Reads the whole record; with a file name, saves it there as CSV (with
// holds, the holds alone, as a CSV of incidents).
struct ReadItem {
    QString csvFile;
    bool holds = false;
};
struct FlushItem {
    std::shared_ptr<std::promise<void>> done;
};
using Item = std::variant<EventItem, OpenRunItem, MarkItem, CloseRunItem, CueItem, HoldItem, ReadItem, FlushItem>;

struct OpenOutcome {
    bool recording = false;
    QString notice;
    qint64 lastRun = 0;
    std::optional<InterruptedRun> interrupted;
    QList<PlayedCue> unsent; // a room's cues kept and never sent, of the last day
    std::optional<HoldEntry> openHold; // a room's own hold that stood when it stopped, of the last day
};

// What the writer tells the UI thread; called on the writer thread, so each
// must only post to the UI thread.
struct WriterReplies {
    std::function<void(const QString &)> notice;
    std::function<void(const QList<QStringList> &, const QString &)> record;
    std::function<void(const QString &, int, const QString &)> exported;
};

class Writer {
public:
    Writer(QString dir, WriterReplies replies);
    ~Writer(); // stops, after writing everything queued

    // Starts the thread, which opens the journal; waits for the outcome.
    OpenOutcome start();
    void push(Item item);
    void stop();
    // Nothing more is written: the journal failed, or was never opened.
    bool off() const { return off_.load(std::memory_order_relaxed); }
    QString path() const { return path_; }

private:
    struct Db;
    enum class Fault { None, CannotOpen, Locked, ReadOnly, Future, Damaged };
    struct Attempt {
        Fault fault = Fault::None;
        QString reason;
        qint64 pid = 0;
        int version = 0;
    };
    struct OpenRun {
        qint64 startedUtc = 0;
        std::optional<MarkItem> mark;
    };

    void run(std::promise<OpenOutcome> opened);
    OpenOutcome open();
    Attempt attempt();
    Attempt check();
    QString keepAside(QString *error);
    QString describe(const Attempt &a) const;
    void closeDb();
    bool vanished() const;
    bool recreate();
    bool insertSession();
    void write(std::vector<Item> &batch);
    bool writeOne(const std::vector<Item> &batch, size_t index, QSqlError *error);
    bool insertRun(const MarkItem &m, qint64 startedUtc, QSqlError *error);
    void read(const ReadItem &r);
    bool writeCue(const CueItem &c, QSqlError *error);
    QList<PlayedCue> unsentCues();
    QList<QStringList> cueRows(QString *error);
    bool writeHold(const HoldItem &h, QSqlError *error);
    std::vector<HoldEntry> holds(QString *error);
    std::optional<HoldEntry> openHold();
    void fail(const QString &notice);
    void failWriting(const QSqlError &error);
    std::optional<InterruptedRun> findInterrupted(QString *unreadable);

    QString dir_;
    QString path_;
    WriterReplies replies_;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Item> queue_;
    bool stopping_ = false;
    std::atomic<bool> off_{true};

    // Writer thread only.
    std::unique_ptr<QLockFile> lock_;
    std::unique_ptr<Db> db_;
    qint64 session_ = 0;
    qint64 sessionStartUtc_ = 0;
    std::map<qint64, OpenRun> openRuns_;
};

} // namespace tavrin::journal
