#include "record.h"

#include "exam_state.h"
#include "programme_json.h"
#include "texts.h"

#include <QDateTime>
#include <QMap>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <cmath>

namespace tavrin::journal {

namespace {
using texts::str;

QString eventName(const QString &key)
{
    for (const texts::EventName &e : texts::eventNames)
        if (key == QLatin1String(e.key))
            return str(e.name);
    return key;
}

QString role(int player)
{
    static const char *const roles[] = {texts::soundRole1, texts::soundRole2, texts::soundRole3,
                                            texts::soundRole4};
    return player >= 1 && player <= 4 ? str(roles[player - 1]) : QString();
}

QString factor(std::optional<int> index)
{
    if (index && *index >= 0 && *index < int(std::size(texts::fontFactorItems)))
        return str(texts::fontFactorItems[*index]);
    return index ? QString::number(*index) : QStringLiteral("-");
}

QString number(std::optional<int> v)
{
    return v ? QString::number(*v) : QStringLiteral("-");
}

QString details(const StoredEvent &e)
{
    if (e.kind == QLatin1String("cue")) {
        const char *form = e.cueSource == CueSource::OwnFile   ? texts::cueOwnFile
                               : e.cueSource == CueSource::BuiltIn ? texts::cueBuiltIn
                                                                   : texts::cueSilent;
        return str(form).arg(QString::number(e.player), role(e.player), e.detail);
    }
    if (e.kind == QLatin1String("cue-late"))
        return str(texts::cueLateDetail).arg(QString::number(e.player), role(e.player), e.detail);
    if (e.kind == QLatin1String("cue-dropped"))
        return str(texts::cueDroppedDetail).arg(QString::number(e.player), role(e.player));
    if (e.kind == QLatin1String("end-repeated"))
        return str(texts::endRepeatedDetail).arg(QString::number(e.player), role(e.player), e.detail);
    if (e.kind == QLatin1String("time-entry"))
        return str(texts::timeEntryDetail)
            .arg(number(e.old[0]), number(e.old[1]), number(e.old[2]), QString::number(e.time1),
                 QString::number(e.time2), QString::number(e.cycle));
    if (e.kind == QLatin1String("font-factor"))
        return str(texts::fontFactorDetail).arg(factor(e.old[3]), factor(e.fkc));
    return e.detail;
}

// The second on view when the event happened. t is the second the next tick
// shows, except inside a tick, where the question and its cues are raised
// while it shows t.
int shownSecond(const StoredEvent &e)
{
    if (e.kind == QLatin1String("question") || e.kind == QLatin1String("cue"))
        return e.t;
    return e.t > 0 ? e.t - 1 : 0;
}

// Whole and decimal numbers, signed or not, that a spreadsheet reads as the
// numbers they are (a negative second or offset among them).
bool plainNumber(const QString &s)
{
    static const QRegularExpression number(QStringLiteral("^[-+]?[0-9]+(\\.[0-9]+)?$"));
    return number.match(s).hasMatch();
}

QString csvField(QString s)
{
    // A spreadsheet takes a cell that begins so as a formula, which a name
    // or a detail from the network could turn into a command; the usual
    // apostrophe keeps it text. Plain numbers stay numbers. A spreadsheet
    // also skips leading blanks and invisible marks (a BOM, a zero-width
    // space) before it looks, and reads the full-width and small signs as
    // the plain ones, so a cell that begins with any of those is kept text
    // too.
    static const QString formulaStarts = QStringLiteral(
        "=+-@\u2212\uFF1D\uFF0B\uFF0D\uFF20\uFF0F\uFE62\uFE63\uFE66\uFE6B");
    const auto opens = [](QChar c) {
        return formulaStarts.contains(c) || c.isSpace() || c.category() == QChar::Other_Format ||
               c.category() == QChar::Other_Control;
    };
    if (!s.isEmpty() && opens(s.front()) && !plainNumber(s))
        s.prepend(u'\'');
    if (!s.contains(u',') && !s.contains(u'"') && !s.contains(u'\n') && !s.contains(u'\r'))
        return s;
    QString quoted = s;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}
} // namespace

CueSource storedCueSource(const QString &key)
{
    if (key == u"built-in")
        return CueSource::BuiltIn;
    return cueSourceFromKey(key).value_or(CueSource::NotOpen);
}

QStringList recordHeader()
{
    QStringList h;
    for (const auto &c : texts::recordColumns)
        h << texts::recordColumn(c);
    return h;
}

QStringList recordCells(const StoredEvent &e)
{
    return {e.run ? QString::number(e.run) : QString(),
            localTime(e.utcMs, e.zoneOffsetS),
            eventName(e.kind),
            QString::number(e.ck),
            QString::number(shownSecond(e)),
            QString::number(e.time1),
            QString::number(e.time2),
            QString::number(e.cycle),
            details(e)};
}

namespace {

QString roomName(const QString &room)
{
    return room.isEmpty() ? str(texts::cueProofController) : str(texts::cueProofRoom).arg(room);
}

QString signedMs(qint64 ms)
{
    return (ms > 0 ? QStringLiteral("+") : QString()) + QString::number(ms);
}

QStringList proofRow(const RunCue &c, const char *event, const QString &detail, int (*zoneAt)(qint64))
{
    return {c.run ? QString::number(c.run) : QString(),
            localTime(c.cue.dueMs, zoneAt(c.cue.dueMs)),
            str(event),
            QString::number(c.cue.question),
            QString::number(c.cue.second),
            QString(), QString(), QString(),
            detail};
}

} // namespace

QList<QStringList> proofRows(const std::vector<RunCue> &cues, int (*zoneAt)(qint64))
{
    // Two reports of one cue lie within a few ms of each other; the cues of
    // one player lie a second apart at least.
    constexpr qint64 kSameCueMs = 500;
    auto sameCue = [](const PlayedCue &a, const PlayedCue &b) {
        return a.player == b.player && std::abs(a.dueMs - b.dueMs) < kSameCueMs;
    };
    QList<QStringList> rows;
    for (std::size_t from = 0; from < cues.size();) {
        std::size_t to = from;
        while (to < cues.size() && cues[to].run == cues[from].run)
            ++to;
        // The rooms heard from in this run: each should have played every
        // cue the controller played.
        QStringList rooms;
        for (std::size_t i = from; i < to; ++i)
            if (!cues[i].cue.room.isEmpty() && !rooms.contains(cues[i].cue.room))
                rooms << cues[i].cue.room;
        rooms.sort();
        struct Worst {
            int count = 0;
            int notPlayed = 0;
            std::optional<RunCue> cue;
        };
        QMap<QString, Worst> worst;
        for (std::size_t i = from; i < to; ++i) {
            const RunCue &c = cues[i];
            const PlayedCue &p = c.cue;
            Worst &w = worst[p.room];
            ++w.count;
            const QString name = roomName(p.room);
            const QString roleName = role(p.player);
            if (p.startedMs == 0) {
                ++w.notPlayed;
                rows << proofRow(c, texts::cueProofUnheardEvent,
                                 str(texts::cueProofUnheard).arg(name, QString::number(p.player), roleName), zoneAt);
            } else {
                const char *source = p.source == CueSource::OwnFile   ? texts::cueProofOwn
                                         : p.source == CueSource::BuiltIn ? texts::cueProofBuiltin
                                                                          : texts::cueProofSilent;
                rows << proofRow(c, texts::cueProofEvent,
                                 str(texts::cueProofPlayed)
                                     .arg(name, QString::number(p.player), roleName,
                                          localTime(p.startedMs, zoneAt(p.startedMs)).mid(11, 12),
                                          signedMs(p.deviationMs()), QString::number(p.offsetMs, 'f', 1), str(source)),
                                 zoneAt);
                if (!w.cue || std::abs(p.deviationMs()) > std::abs(w.cue->cue.deviationMs()))
                    w.cue = c;
            }
            if (!p.room.isEmpty())
                continue;
            for (const QString &room : rooms) {
                bool found = false;
                for (std::size_t j = from; j < to && !found; ++j)
                    found = cues[j].cue.room == room && sameCue(cues[j].cue, p);
                if (found)
                    continue;
                RunCue missing = c;
                missing.cue.room = room;
                ++worst[room].notPlayed;
                rows << proofRow(missing, texts::cueProofMissingEvent,
                                 str(texts::cueProofMissing).arg(roomName(room), QString::number(p.player), roleName),
                                 zoneAt);
            }
        }
        for (auto it = worst.cbegin(); it != worst.cend(); ++it) {
            const Worst &w = it.value();
            RunCue line = w.cue ? *w.cue : cues[to - 1];
            const QString largest =
                w.cue ? str(texts::cueProofLargest)
                            .arg(signedMs(w.cue->cue.deviationMs()), QString::number(w.cue->cue.question),
                                 QString::number(w.cue->cue.second), QString::number(w.cue->cue.player))
                      : str(texts::cueProofNoneHeard);
            rows << proofRow(line, texts::cueProofSummaryEvent,
                             str(texts::cueProofSummary).arg(roomName(it.key())).arg(w.count).arg(largest).arg(w.notPlayed),
                             zoneAt);
        }
        from = to;
    }
    return rows;
}

QString localTime(qint64 utcMs, int zoneOffsetS)
{
    const QDateTime at = QDateTime::fromMSecsSinceEpoch(utcMs, Qt::OffsetFromUTC, zoneOffsetS);
    const int minutes = std::abs(zoneOffsetS) / 60;
    return at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz ")) + (zoneOffsetS < 0 ? u'-' : u'+') +
           QStringLiteral("%1:%2").arg(minutes / 60, 2, 10, QLatin1Char('0')).arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QByteArray csv(const QStringList &header, const QList<QStringList> &rows)
{
    QString text;
    auto line = [&text](const QStringList &cells) {
        for (qsizetype i = 0; i < cells.size(); ++i) {
            if (i)
                text += u',';
            text += csvField(cells[i]);
        }
        text += QStringLiteral("\r\n");
    };
    line(header);
    for (const QStringList &r : rows)
        line(r);
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

QString snapshotText(const RunSnapshot &s)
{
    const QJsonObject o{{QStringLiteral("time1"), s.time1.value()}, {QStringLiteral("time2"), s.time2.value()},
                        {QStringLiteral("cycle"), s.cycle.value()}, {QStringLiteral("fkc"), s.fkc.value()},
                        {QStringLiteral("sw"), s.sw.value()},       {QStringLiteral("ck"), s.ck.value()},
                        {QStringLiteral("t"), s.t.value()},         {QStringLiteral("reset"), s.resetCaption},
                        {QStringLiteral("resume"), s.resumeCaption}, {QStringLiteral("question"), s.question},
                        {QStringLiteral("move"), s.moveBanner},     {QStringLiteral("end"), s.endBanner}};
    // A programme's run: its plan and where it stands in it. Without one the
    // text is what it always was.
    QJsonObject withPlan = o;
    if (!s.plan.parts.empty()) {
        withPlan.insert(QStringLiteral("plan"), programmeJson(s.plan));
        withPlan.insert(QStringLiteral("part"), s.part);
        withPlan.insert(QStringLiteral("lead"), s.lead);
    }
    return QString::fromUtf8(QJsonDocument(withPlan).toJson(QJsonDocument::Compact));
}

std::optional<RunSnapshot> snapshotFromText(const QString &text)
{
    const QJsonDocument doc = QJsonDocument::fromJson(text.toUtf8());
    if (!doc.isObject())
        return std::nullopt;
    const QJsonObject o = doc.object();
    RunSnapshot s;
    bool ok = true;
    auto integer = [&](const char *key, Integer &into) {
        const QJsonValue v = o.value(QLatin1String(key));
        const double d = v.toDouble(1e9);
        if (!v.isDouble() || d != std::floor(d) || !Integer::fits(static_cast<long long>(d)))
            ok = false;
        else
            into = Integer(static_cast<int>(d));
    };
    auto flag = [&](const char *key, bool &into) {
        const QJsonValue v = o.value(QLatin1String(key));
        ok = ok && v.isBool();
        into = v.toBool();
    };
    integer("time1", s.time1);
    integer("time2", s.time2);
    integer("cycle", s.cycle);
    integer("fkc", s.fkc);
    integer("sw", s.sw);
    integer("ck", s.ck);
    integer("t", s.t);
    flag("reset", s.resetCaption);
    flag("resume", s.resumeCaption);
    flag("move", s.moveBanner);
    flag("end", s.endBanner);
    const QJsonValue q = o.value(QLatin1String("question"));
    ok = ok && q.isString();
    s.question = q.toString();
    if (o.contains(QLatin1String("plan"))) {
        const std::optional<Programme> plan = programmeFromJson(o.value(QLatin1String("plan")));
        ok = ok && plan.has_value();
        if (plan)
            s.plan = *plan;
        const double part = o.value(QLatin1String("part")).toDouble(-1);
        const double lead = o.value(QLatin1String("lead")).toDouble(-1);
        ok = ok && part >= 0 && part < double(s.plan.parts.size()) && lead >= 0 && lead <= double(24 * 3600);
        s.part = ok ? int(part) : 0;
        s.lead = ok ? int(lead) : 0;
    }
    return ok ? std::optional(s) : std::nullopt;
}

} // namespace tavrin::journal
