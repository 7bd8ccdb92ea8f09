#include "protocol.h"

#include "engine.h"
#include "programme_json.h"
#include "programme_position.h"
#include "silent_ports.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QRandomGenerator>

#include <cmath>

namespace tavrin::rooms {

namespace {

// JSON numbers are doubles; every whole number that the protocol carries fits
// below 2^53 (times in microseconds since 1970 among them).
constexpr double kMaxWhole = 9007199254740991.0;

const char *const kStateNames[] = {"idle", "running", "paused", "finished"};

struct EventName {
    StateEvent event;
    const char *name;
};
const EventName kEvents[] = {
    {StateEvent::Sync, "sync"},         {StateEvent::Tick, "tick"},           {StateEvent::Start, "start"},
    {StateEvent::Pause, "pause"},       {StateEvent::Resume, "resume"},       {StateEvent::Reset, "reset"},
    {StateEvent::TimeEntry, "time"},    {StateEvent::FontFactor, "font"},     {StateEvent::End, "end"},
    {StateEvent::Adopted, "adopted"},   {StateEvent::Abort, "abort"},
};

// A cue's source on the wire: the names every member of this version reads.
static_assert(cueSourceKey(CueSource::NotOpen) == "unknown" && cueSourceKey(CueSource::OwnFile) == "own" &&
                  cueSourceKey(CueSource::BuiltIn) == "builtin" && cueSourceKey(CueSource::Silent) == "silent",
              "the cue sources' names are part of the protocol");

QString latin(const char *s)
{
    return QString::fromLatin1(s);
}

bool hexId(const QString &id, char16_t kind)
{
    if (id.size() != 18 || id[0] != kind || id[1] != u'-')
        return false;
    for (qsizetype i = 2; i < id.size(); ++i) {
        const char16_t c = id[i].unicode();
        if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f')))
            return false;
    }
    return true;
}

QByteArray toBytes(const QJsonObject &o)
{
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

QJsonObject header(const char *kind, const QString &exam)
{
    QJsonObject o;
    o[latin("v")] = kVersion;
    o[latin("kind")] = latin(kind);
    o[latin("exam")] = exam;
    return o;
}

// Reads one payload field by field; the first problem sticks.
class Fields {
public:
    Fields(QByteArrayView payload, const char *kind, const QString &exam)
    {
        if (payload.size() > kMaxPayload) {
            fail(Refusal::TooLarge, QStringLiteral("%1 bytes").arg(payload.size()));
            return;
        }
        QJsonParseError error{};
        const QJsonDocument doc = QJsonDocument::fromJson(payload.toByteArray(), &error);
        if (error.error != QJsonParseError::NoError || !doc.isObject()) {
            fail(Refusal::Malformed, latin("not a JSON object"));
            return;
        }
        o_ = doc.object();
        // The version first: another version may have other fields.
        const QJsonValue v = o_.value(latin("v"));
        if (!v.isDouble()) {
            fail(Refusal::Malformed, latin("v"));
            return;
        }
        if (v.toDouble() != kVersion) {
            fail(Refusal::OtherVersion, QStringLiteral("v %1").arg(v.toDouble()));
            return;
        }
        if (text("kind") != latin(kind) && ok())
            fail(Refusal::Malformed, latin("kind"));
        if (text("exam") != exam && ok())
            fail(Refusal::OtherExam, latin("exam"));
    }

    // A nested object, read with the same rules.
    explicit Fields(QJsonObject o) : o_(std::move(o)) {}

    bool ok() const { return ok_; }
    Refusal refusal() const { return refusal_; }
    const QString &detail() const { return detail_; }

    void fail(Refusal r, const QString &detail)
    {
        if (!ok_)
            return;
        ok_ = false;
        refusal_ = r;
        detail_ = detail;
    }

    // The field when it is of this type; otherwise the payload is refused
    // and an undefined value stands in.
    QJsonValue typed(const char *name, QJsonValue::Type type)
    {
        const QJsonValue v = o_.value(latin(name));
        if (v.type() != type) {
            fail(Refusal::Malformed, latin(name));
            return QJsonValue(QJsonValue::Undefined);
        }
        return v;
    }

    QString text(const char *name, qsizetype maxLength = 64)
    {
        const QString s = typed(name, QJsonValue::String).toString();
        if (s.size() > maxLength) {
            fail(Refusal::Malformed, latin(name));
            return {};
        }
        return s;
    }

    bool flag(const char *name) { return typed(name, QJsonValue::Bool).toBool(); }

    double real(const char *name, double lo, double hi)
    {
        const QJsonValue v = typed(name, QJsonValue::Double);
        if (v.isUndefined())
            return 0;
        const double d = v.toDouble();
        if (!std::isfinite(d) || d < lo || d > hi) {
            fail(Refusal::BadValue, latin(name));
            return 0;
        }
        return d;
    }

    qint64 whole(const char *name, double lo = -kMaxWhole, double hi = kMaxWhole)
    {
        const double d = real(name, lo, hi);
        if (d != std::floor(d)) {
            fail(Refusal::BadValue, latin(name));
            return 0;
        }
        return static_cast<qint64>(d);
    }

    Integer integer(const char *name)
    {
        return Integer(static_cast<int>(whole(name, Integer::kMin, Integer::kMax)));
    }

    QJsonObject object(const char *name) { return typed(name, QJsonValue::Object).toObject(); }
    bool has(const char *name) const { return o_.contains(latin(name)); }

    QJsonArray array(const char *name) { return typed(name, QJsonValue::Array).toArray(); }

    template <typename T>
    Reading<T> result(T value) const
    {
        Reading<T> r;
        if (ok_)
            r.message = std::move(value);
        else {
            r.refusal = refusal_;
            r.detail = detail_;
        }
        return r;
    }

private:
    QJsonObject o_;
    bool ok_ = true;
    Refusal refusal_ = Refusal::Malformed;
    QString detail_;
};

// A question number as the window shows it: digits only.
bool questionText(const QString &q)
{
    if (q.isEmpty() || q.size() > 5)
        return false;
    for (QChar c : q)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

// Only what the engine itself could stand in.
bool adoptable(const RunSnapshot &s)
{
    SilentWindow window;
    SilentPlayers players;
    Engine engine(window, players);
    return engine.adopt(s);
}

QJsonObject writeRun(const RunSnapshot &s)
{
    QJsonObject r;
    r[latin("time1")] = s.time1.value();
    r[latin("time2")] = s.time2.value();
    r[latin("cycle")] = s.cycle.value();
    r[latin("fkc")] = s.fkc.value();
    r[latin("sw")] = s.sw.value();
    r[latin("ck")] = s.ck.value();
    r[latin("t")] = s.t.value();
    r[latin("reset")] = s.resetCaption;
    r[latin("resume")] = s.resumeCaption;
    r[latin("question")] = s.question;
    r[latin("move")] = s.moveBanner;
    r[latin("end")] = s.endBanner;
    // A programme's run: the whole plan and where it stands in it.
    if (!s.plan.parts.empty()) {
        r[latin("plan")] = programmeJson(s.plan);
        r[latin("part")] = s.part;
        r[latin("lead")] = s.lead;
    }
    return r;
}

} // namespace

bool validName(const QString &name)
{
    if (name.isEmpty() || name.size() > kMaxNameLength || name.trimmed() != name)
        return false;
    for (QChar c : name) {
        if (c.isNull() || c.category() == QChar::Other_Control || c.category() == QChar::Other_Format ||
            c.isSurrogate() || c == u'/' || c == u'+' || c == u'#')
            return false;
    }
    return true;
}

QString newMemberId(bool controller)
{
    const quint64 n = QRandomGenerator::system()->generate64();
    return (controller ? QStringLiteral("c-") : QStringLiteral("r-")) +
           QStringLiteral("%1").arg(n, 16, 16, QChar(u'0'));
}

bool isControllerId(const QString &id)
{
    return hexId(id, u'c');
}

bool isRoomId(const QString &id)
{
    return hexId(id, u'r');
}

Topics::Topics(const QString &exam) : root_(QStringLiteral("tavrin/") + exam) {}

QString Topics::controller() const
{
    return root_ + QStringLiteral("/controller");
}

QString Topics::state() const
{
    return root_ + QStringLiteral("/state");
}

QString Topics::clock() const
{
    return root_ + QStringLiteral("/clock");
}

QString Topics::roomStatus(const QString &room) const
{
    return root_ + QStringLiteral("/rooms/") + room + QStringLiteral("/status");
}

QString Topics::allRoomStatus() const
{
    return root_ + QStringLiteral("/rooms/+/status");
}

QString Topics::roomClock(const QString &room) const
{
    return root_ + QStringLiteral("/rooms/") + room + QStringLiteral("/clock");
}

QString Topics::schedule() const
{
    return root_ + QStringLiteral("/schedule");
}

QString Topics::soundCheck() const
{
    return root_ + QStringLiteral("/soundcheck");
}

QString Topics::roomCues(const QString &room) const
{
    return root_ + QStringLiteral("/rooms/") + room + QStringLiteral("/cues");
}

QString Topics::allRoomCues() const
{
    return root_ + QStringLiteral("/rooms/+/cues");
}

QString Topics::roomHold(const QString &room) const
{
    return root_ + QStringLiteral("/rooms/") + room + QStringLiteral("/hold");
}

QString Topics::allRoomHold() const
{
    return roomHold(QStringLiteral("+"));
}

QString Topics::roomSpeaker(const QString &room) const
{
    return root_ + QStringLiteral("/rooms/") + room + QStringLiteral("/speaker");
}

QString Topics::allRoomSpeaker() const
{
    return roomSpeaker(QStringLiteral("+"));
}

QString holdByName(HoldBy by)
{
    return by == HoldBy::Room ? latin("room") : latin("controller");
}

std::optional<QString> Topics::roomOf(const QString &topic, Leaf leaf) const
{
    const QString head = root_ + QStringLiteral("/rooms/");
    const QString tail = leaf == Leaf::Clock  ? QStringLiteral("/clock")
                         : leaf == Leaf::Cues ? QStringLiteral("/cues")
                                              : QStringLiteral("/status");
    if (!topic.startsWith(head) || !topic.endsWith(tail))
        return std::nullopt;
    const QString room = topic.mid(head.size(), topic.size() - head.size() - tail.size());
    if (!validName(room))
        return std::nullopt;
    return room;
}

QString stateName(RunState s)
{
    return latin(kStateNames[static_cast<int>(s)]);
}

QString eventName(StateEvent e)
{
    for (const EventName &n : kEvents)
        if (n.event == e)
            return latin(n.name);
    return latin("sync");
}

// ---- Writing ----------------------------------------------------------------

QByteArray writeState(const QString &exam, const StateMessage &m)
{
    QJsonObject o = header("state", exam);
    o[latin("from")] = m.from;
    o[latin("seq")] = static_cast<double>(m.seq);
    o[latin("event")] = eventName(m.event);
    o[latin("due")] = static_cast<double>(m.dueMs);
    o[latin("period")] = kPeriodMs;
    o[latin("run")] = writeRun(m.run);
    return toBytes(o);
}

bool fitsOnWire(const Programme &plan)
{
    // The largest state such a run can be in: every field at its widest.
    StateMessage m;
    m.from = QStringLiteral("c-0123456789abcdef");
    m.seq = qint64(kMaxWhole);
    m.dueMs = qint64(kMaxWhole);
    m.run.time1 = m.run.time2 = m.run.cycle = m.run.ck = m.run.t = Integer(Integer::kMin);
    m.run.question = QStringLiteral("32767");
    m.run.plan = plan;
    m.run.part = programme_limits::kMaxParts - 1;
    m.run.lead = int(programme_limits::kMaxTotal);
    return writeState(QString(kMaxNameLength, u'W'), m).size() <= kMaxPayload;
}

QByteArray writePresence(const QString &exam, const PresenceMessage &m)
{
    QJsonObject o = header("controller", exam);
    o[latin("from")] = m.from;
    o[latin("online")] = m.online;
    o[latin("since")] = static_cast<double>(m.sinceMs);
    o[latin("leading")] = m.leading;
    o[latin("host")] = m.host;
    o[latin("over")] = m.over;
    o[latin("at")] = static_cast<double>(m.atMs);
    return toBytes(o);
}

namespace {

QJsonArray cueArray(const std::array<CueSource, 4> &cues)
{
    QJsonArray a;
    for (CueSource c : cues)
        a.append(cueSourceName(c));
    return a;
}

// Four cue names, or the payload is refused.
void readCues(Fields &f, const char *name, std::array<CueSource, 4> &into)
{
    const QJsonArray cues = f.array(name);
    if (f.ok() && cues.size() != 4)
        f.fail(Refusal::Malformed, latin(name));
    for (qsizetype i = 0; f.ok() && i < cues.size(); ++i) {
        const std::optional<CueSource> c = cueSourceFromKey(cues[i].toString());
        if (c)
            into[static_cast<std::size_t>(i)] = *c;
        else
            f.fail(Refusal::BadValue, latin(name));
    }
}

} // namespace

namespace {

// The clock's keeping, when the message has it: into k, or a refusal in f.
void readKeeping(Fields &f, ClockKeeping &k)
{
    if (!f.ok() || !f.has("clock"))
        return;
    Fields g(f.object("clock"));
    k.known = true;
    k.synchronised = g.flag("sync");
    k.errorMs = g.real("error", 0, 16000); // the kernel's own ceiling is 16 s
    k.keeper = g.text("keeper", 20);
    k.system = g.flag("system");
    k.distrust = int(g.whole("distrust", 0, 2));
    if (!g.ok())
        f.fail(g.refusal(), latin("clock.") + g.detail());
}

// Lost questions as [part, first, last] each.
QJsonArray lostArray(const std::vector<LostQuestions> &lost)
{
    QJsonArray a;
    for (const LostQuestions &l : lost)
        a.append(QJsonArray{l.part, l.first, l.last});
    return a;
}

bool readLost(const QJsonArray &a, std::vector<LostQuestions> &into)
{
    if (a.size() > programme_limits::kMaxParts)
        return false;
    for (const QJsonValue &v : a) {
        const QJsonArray e = v.toArray();
        if (!v.isArray() || e.size() != 3)
            return false;
        int n[3] = {};
        for (int i = 0; i < 3; ++i) {
            const double d = e[i].toDouble(-1);
            if (!e[i].isDouble() || d != std::floor(d) || d < 0 || d > programme_limits::kMaxNumber)
                return false;
            n[i] = int(d);
        }
        into.push_back({n[0], n[1], n[2]});
    }
    return lostValid(into);
}

QJsonObject keepingObject(const ClockKeeping &k)
{
    return QJsonObject{{latin("sync"), k.synchronised},
                       {latin("error"), std::round(k.errorMs * 100) / 100},
                       {latin("keeper"), k.keeper},
                       {latin("system"), k.system},
                       {latin("distrust"), k.distrust}};
}

} // namespace

QByteArray writeStatus(const QString &exam, const RoomStatus &m)
{
    QJsonObject o = header("room", exam);
    o[latin("room")] = m.room;
    o[latin("from")] = m.from;
    o[latin("online")] = m.online;
    o[latin("since")] = static_cast<double>(m.sinceMs);
    o[latin("follows")] = m.follows;
    o[latin("state")] = stateName(m.state);
    o[latin("question")] = m.question;
    o[latin("second")] = m.second;
    o[latin("offsetKnown")] = m.offsetKnown;
    // Tenths of a millisecond say all there is to say.
    o[latin("offset")] = std::round(m.offsetMs * 10) / 10;
    o[latin("rtt")] = std::round(m.rttMs * 10) / 10;
    o[latin("cues")] = cueArray(m.cues);
    o[latin("at")] = static_cast<double>(m.atMs);
    if (m.ready.known)
        o[latin("ready")] = QJsonObject{{latin("screen"), m.ready.screen},
                                        {latin("journal"), m.ready.journalWritable},
                                        {latin("checking"), m.ready.checking},
                                        {latin("check"), static_cast<double>(m.ready.checkMs)},
                                        {latin("heard"), cueArray(m.ready.heard)},
                                        {latin("speakerDelay"), m.ready.speakerDelayMs},
                                        {latin("sinkLatency"), m.ready.sinkLatencyMs},
                                        {latin("sinkRisk"), m.ready.sinkRisk}};
    if (m.clock.known)
        o[latin("clock")] = keepingObject(m.clock);
    if (m.hold.held)
        o[latin("hold")] = QJsonObject{{latin("by"), holdByName(m.hold.by)},
                                       {latin("since"), static_cast<double>(m.hold.sinceMs)},
                                       {latin("question"), m.hold.question},
                                       {latin("released"), m.hold.released},
                                       {latin("rejoin"), static_cast<double>(m.hold.rejoinMs)},
                                       {latin("lastLost"), m.hold.lastLost},
                                       {latin("lost"), lostArray(m.hold.lost)}};
    return toBytes(o);
}

QByteArray writeSoundCheckAsk(const QString &exam, const SoundCheckAsk &m)
{
    QJsonObject o = header("soundcheck?", exam);
    o[latin("from")] = m.from;
    o[latin("at")] = static_cast<double>(m.atMs);
    return toBytes(o);
}

QByteArray writeHoldAsk(const QString &exam, const HoldAsk &m)
{
    QJsonObject o = header("hold", exam);
    o[latin("from")] = m.from;
    o[latin("room")] = m.room;
    o[latin("hold")] = m.hold;
    o[latin("at")] = static_cast<double>(m.atMs);
    return toBytes(o);
}

QByteArray writeSpeakerAsk(const QString &exam, const SpeakerAsk &m)
{
    QJsonObject o = header("speaker", exam);
    o[latin("from")] = m.from;
    o[latin("room")] = m.room;
    o[latin("delay")] = m.delayMs;
    o[latin("at")] = static_cast<double>(m.atMs);
    return toBytes(o);
}

QByteArray writeCueReport(const QString &exam, const CueReport &m)
{
    QJsonObject o = header("cue", exam);
    o[latin("room")] = m.cue.room;
    o[latin("from")] = m.from;
    o[latin("due")] = static_cast<double>(m.cue.dueMs);
    o[latin("player")] = m.cue.player;
    o[latin("question")] = m.cue.question;
    o[latin("second")] = m.cue.second;
    o[latin("started")] = static_cast<double>(m.cue.startedMs);
    o[latin("offset")] = std::round(m.cue.offsetMs * 10) / 10;
    o[latin("source")] = cueSourceName(m.cue.source);
    return toBytes(o);
}

QByteArray writeClockAsk(const QString &exam, const QString &room)
{
    QJsonObject o = header("clock?", exam);
    o[latin("room")] = room;
    return toBytes(o);
}

QByteArray writeClockReply(const QString &exam, const ClockReply &m)
{
    QJsonObject o = header("clock", exam);
    o[latin("from")] = m.from;
    o[latin("t1")] = static_cast<double>(m.receivedUs);
    o[latin("t2")] = static_cast<double>(m.sentUs);
    if (m.clock.known)
        o[latin("clock")] = keepingObject(m.clock);
    return toBytes(o);
}

// ---- Reading ----------------------------------------------------------------

Reading<StateMessage> readState(QByteArrayView payload, const QString &exam)
{
    Fields f(payload, "state", exam);
    StateMessage m;
    m.from = f.text("from");
    if (f.ok() && !isControllerId(m.from))
        f.fail(Refusal::NotFromController, latin("from"));
    m.seq = f.whole("seq", 0);
    const QString event = f.text("event");
    bool known = false;
    for (const EventName &n : kEvents)
        if (event == latin(n.name)) {
            m.event = n.event;
            known = true;
        }
    if (f.ok() && !known)
        f.fail(Refusal::BadValue, latin("event"));
    m.dueMs = f.whole("due", 0);
    if (f.whole("period", 0) != kPeriodMs && f.ok())
        f.fail(Refusal::BadValue, latin("period"));
    Fields r(f.object("run"));
    RunSnapshot &s = m.run;
    s.time1 = r.integer("time1");
    s.time2 = r.integer("time2");
    s.cycle = r.integer("cycle");
    s.fkc = r.integer("fkc");
    s.sw = r.integer("sw");
    s.ck = r.integer("ck");
    s.t = r.integer("t");
    s.resetCaption = r.flag("reset");
    s.resumeCaption = r.flag("resume");
    s.question = r.text("question", 5);
    s.moveBanner = r.flag("move");
    s.endBanner = r.flag("end");
    const QJsonObject run = f.object("run");
    if (r.ok() && run.contains(latin("plan"))) {
        const std::optional<Programme> plan = programmeFromJson(run.value(latin("plan")));
        if (!plan)
            r.fail(Refusal::BadValue, latin("plan"));
        else
            s.plan = *plan;
        s.part = static_cast<int>(r.whole("part", 0, programme_limits::kMaxParts - 1));
        s.lead = static_cast<int>(r.whole("lead", 0, programme_limits::kMaxTotal));
    }
    // A programme's break shows no question number.
    if (r.ok() && !questionText(s.question) && !(s.question.isEmpty() && !s.plan.parts.empty()))
        r.fail(Refusal::BadValue, latin("question"));
    if (!r.ok())
        f.fail(r.refusal(), QStringLiteral("run.") + r.detail());
    else if (f.ok() && !adoptable(s))
        f.fail(Refusal::BadValue, latin("run"));
    return f.result(m);
}

Reading<PresenceMessage> readPresence(QByteArrayView payload, const QString &exam)
{
    Fields f(payload, "controller", exam);
    PresenceMessage m;
    m.from = f.text("from");
    if (f.ok() && !isControllerId(m.from))
        f.fail(Refusal::NotFromController, latin("from"));
    m.online = f.flag("online");
    m.sinceMs = f.whole("since", 0);
    m.leading = f.flag("leading");
    m.host = f.text("host");
    if (f.ok() && !m.host.isEmpty() && !validName(m.host.left(kMaxNameLength)))
        f.fail(Refusal::BadValue, latin("host"));
    m.over = f.text("over");
    if (f.ok() && !m.over.isEmpty() && !isControllerId(m.over))
        f.fail(Refusal::BadValue, latin("over"));
    m.atMs = f.whole("at", 0);
    return f.result(m);
}

Reading<CueReport> readCueReport(QByteArrayView payload, const QString &exam, const QString &room, qint64 nowMs)
{
    constexpr double kDay = 86400e3;
    Fields f(payload, "cue", exam);
    CueReport m;
    m.cue.room = f.text("room", kMaxNameLength);
    if (f.ok() && m.cue.room != room)
        f.fail(Refusal::OtherExam, latin("room"));
    m.from = f.text("from");
    if (f.ok() && !isRoomId(m.from))
        f.fail(Refusal::BadValue, latin("from"));
    m.cue.dueMs = f.whole("due", double(nowMs) - kDay, double(nowMs) + kDay);
    m.cue.player = static_cast<int>(f.whole("player", 1, 4));
    m.cue.question = static_cast<int>(f.whole("question", 0, Integer::kMax));
    m.cue.second = static_cast<int>(f.whole("second", 0, Integer::kMax));
    // 0: nothing was heard; otherwise within the second before and the ten
    // after the due time (a cue started later than that is dropped).
    m.cue.startedMs = f.whole("started", 0, double(m.cue.dueMs) + 10e3);
    if (f.ok() && m.cue.startedMs != 0 && m.cue.startedMs < m.cue.dueMs - 1000)
        f.fail(Refusal::BadValue, latin("started"));
    m.cue.offsetMs = f.real("offset", -kDay, kDay);
    // A cue played is known to have played something, or nothing.
    const std::optional<CueSource> source = cueSourceFromKey(f.text("source"));
    if (source && *source != CueSource::NotOpen)
        m.cue.source = *source;
    else if (f.ok())
        f.fail(Refusal::BadValue, latin("source"));
    return f.result(m);
}

Reading<RoomStatus> readStatus(QByteArrayView payload, const QString &exam, const QString &room)
{
    Fields f(payload, "room", exam);
    RoomStatus m;
    m.room = f.text("room", kMaxNameLength);
    if (f.ok() && m.room != room)
        f.fail(Refusal::OtherExam, latin("room"));
    m.from = f.text("from");
    if (f.ok() && !isRoomId(m.from))
        f.fail(Refusal::BadValue, latin("from"));
    m.online = f.flag("online");
    m.sinceMs = f.whole("since", 0);
    m.atMs = f.whole("at", 0);
    m.follows = f.text("follows");
    if (f.ok() && !m.follows.isEmpty() && !isControllerId(m.follows))
        f.fail(Refusal::BadValue, latin("follows"));
    const QString state = f.text("state");
    bool known = false;
    for (int i = 0; i < 4; ++i)
        if (state == latin(kStateNames[i])) {
            m.state = static_cast<RunState>(i);
            known = true;
        }
    if (f.ok() && !known)
        f.fail(Refusal::BadValue, latin("state"));
    m.question = static_cast<int>(f.whole("question", Integer::kMin, Integer::kMax));
    m.second = static_cast<int>(f.whole("second", Integer::kMin, Integer::kMax));
    m.offsetKnown = f.flag("offsetKnown");
    // A day either way is more than any clock that can be put right.
    m.offsetMs = f.real("offset", -86400e3, 86400e3);
    m.rttMs = f.real("rtt", 0, 3600e3);
    readCues(f, "cues", m.cues);
    if (f.ok() && f.has("ready")) {
        Fields g(f.object("ready"));
        m.ready.known = true;
        m.ready.screen = g.text("screen");
        m.ready.journalWritable = g.flag("journal");
        m.ready.checking = g.flag("checking");
        m.ready.checkMs = g.whole("check", 0);
        readCues(g, "heard", m.ready.heard);
        // Older rooms say nothing of their speaker.
        if (g.has("speakerDelay")) {
            m.ready.speakerDelayMs = int(g.whole("speakerDelay", -kMaxSpeakerDelayMs, kMaxSpeakerDelayMs));
            m.ready.sinkLatencyMs = int(g.whole("sinkLatency", -1, 60000));
            m.ready.sinkRisk = g.text("sinkRisk", 16);
            if (g.ok() && !m.ready.sinkRisk.isEmpty() && m.ready.sinkRisk != latin("bluetooth") &&
                m.ready.sinkRisk != latin("network"))
                g.fail(Refusal::BadValue, latin("sinkRisk"));
        }
        if (!g.ok())
            f.fail(g.refusal(), latin("ready.") + g.detail());
    }
    readKeeping(f, m.clock);
    if (f.ok() && f.has("hold")) {
        Fields g(f.object("hold"));
        m.hold.held = true;
        const QString by = g.text("by", 16);
        if (g.ok() && by != holdByName(HoldBy::Room) && by != holdByName(HoldBy::Controller))
            g.fail(Refusal::BadValue, latin("by"));
        m.hold.by = by == holdByName(HoldBy::Room) ? HoldBy::Room : HoldBy::Controller;
        m.hold.sinceMs = g.whole("since", 0);
        m.hold.question = int(g.whole("question", 0, Integer::kMax));
        m.hold.released = g.flag("released");
        m.hold.rejoinMs = g.whole("rejoin", 0);
        m.hold.lastLost = int(g.whole("lastLost", 0, Integer::kMax));
        if (!g.has("lost")) {
            if (m.hold.lastLost >= qMax(1, m.hold.question))
                m.hold.lost = {{0, qMax(1, m.hold.question), m.hold.lastLost}};
        } else if (g.ok() && !readLost(g.array("lost"), m.hold.lost)) {
            g.fail(Refusal::BadValue, latin("lost"));
        }
        if (!g.ok())
            f.fail(g.refusal(), latin("hold.") + g.detail());
    }
    return f.result(m);
}

Reading<SoundCheckAsk> readSoundCheckAsk(QByteArrayView payload, const QString &exam)
{
    Fields f(payload, "soundcheck?", exam);
    SoundCheckAsk m;
    m.from = f.text("from");
    if (f.ok() && !isControllerId(m.from))
        f.fail(Refusal::NotFromController, latin("from"));
    m.atMs = f.whole("at", 0);
    return f.result(m);
}

namespace {

// A controller's ask to one room: from a controller, and for this room.
template <class Ask>
void readAddressedAsk(Fields &f, Ask &m, const QString &room)
{
    m.from = f.text("from");
    if (f.ok() && !isControllerId(m.from))
        f.fail(Refusal::NotFromController, latin("from"));
    m.room = f.text("room", kMaxNameLength);
    if (f.ok() && m.room != room)
        f.fail(Refusal::OtherExam, latin("room"));
}

} // namespace

Reading<HoldAsk> readHoldAsk(QByteArrayView payload, const QString &exam, const QString &room)
{
    Fields f(payload, "hold", exam);
    HoldAsk m;
    readAddressedAsk(f, m, room);
    m.hold = f.flag("hold");
    m.atMs = f.whole("at", 1);
    return f.result(m);
}

Reading<SpeakerAsk> readSpeakerAsk(QByteArrayView payload, const QString &exam, const QString &room)
{
    Fields f(payload, "speaker", exam);
    SpeakerAsk m;
    readAddressedAsk(f, m, room);
    m.delayMs = int(f.whole("delay", -kMaxSpeakerDelayMs, kMaxSpeakerDelayMs));
    m.atMs = f.whole("at", 1);
    return f.result(m);
}

Reading<QString> readClockAsk(QByteArrayView payload, const QString &exam)
{
    Fields f(payload, "clock?", exam);
    const QString room = f.text("room", kMaxNameLength);
    if (f.ok() && !validName(room))
        f.fail(Refusal::BadValue, latin("room"));
    return f.result(room);
}

Reading<ClockReply> readClockReply(QByteArrayView payload, const QString &exam)
{
    Fields f(payload, "clock", exam);
    ClockReply m;
    m.from = f.text("from");
    if (f.ok() && !isControllerId(m.from))
        f.fail(Refusal::NotFromController, latin("from"));
    m.receivedUs = f.whole("t1", 0);
    m.sentUs = f.whole("t2", 0);
    if (f.ok() && m.sentUs < m.receivedUs)
        f.fail(Refusal::BadValue, latin("t2"));
    readKeeping(f, m.clock);
    return f.result(m);
}

} // namespace tavrin::rooms
