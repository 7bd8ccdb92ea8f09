// The payload reader refuses what it must and takes what the writer wrote;
// names, topics and the command line.
#include "cue_report.h"
#include "engine.h"
#include "options.h"
#include "protocol.h"
#include "silent_ports.h"

#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace tavrin;
using namespace tavrin::rooms;

Q_DECLARE_METATYPE(tavrin::rooms::Refusal)

namespace {

const QString kExam = u"試験A"_qs;
const QString kController = u"c-0123456789abcdef"_qs;

// A run as a real engine leaves it: 30, 5, 40, second 12 of question 1.
RunSnapshot someRun()
{
    SilentWindow w;
    SilentPlayers p;
    Engine e(w, p);
    RunSnapshot s;
    s.time1 = 30;
    s.time2 = 5;
    s.cycle = 40;
    e.adopt(s);
    e.Command1_Click();
    for (int i = 0; i < 12; ++i)
        e.Timer1_Timer();
    return e.snapshot();
}

QByteArray goodState()
{
    return writeState(kExam, {kController, 7, StateEvent::Pause, 1700000000123, someRun()});
}

// The good state with one field replaced (a path into "run" with a dot), or
// removed when value is undefined.
QByteArray changed(const QString &field, const QJsonValue &value)
{
    QJsonObject o = QJsonDocument::fromJson(goodState()).object();
    const QStringList path = field.split(u'.');
    if (path.size() == 2) {
        QJsonObject run = o[path[0]].toObject();
        value.isUndefined() ? run.remove(path[1]) : void(run[path[1]] = value);
        o[path[0]] = run;
    } else {
        value.isUndefined() ? o.remove(field) : void(o[field] = value);
    }
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

} // namespace

class TestProtocol : public QObject {
    Q_OBJECT
private slots:
    void everyMessageReadsBackAsWritten()
    {
        const Reading<StateMessage> s = readState(goodState(), kExam);
        QVERIFY2(s.ok(), qPrintable(s.detail));
        QCOMPARE(*s.message, (StateMessage{kController, 7, StateEvent::Pause, 1700000000123, someRun()}));
        // A programme's run in its break travels whole, within the bound.
        Part block, pause;
        block.questions = 2, block.answer = 3, block.move = 1;
        pause.kind = Part::Kind::Break, pause.seconds = 5;
        RunSnapshot inBreak;
        {
            SilentWindow w;
            SilentPlayers pl;
            Engine e(w, pl);
            QVERIFY(e.setProgramme(Programme{{block, pause, block}}));
            e.Command1_Click();
            for (int i = 0; i < 10; ++i)
                e.Timer1_Timer();
            inBreak = e.snapshot();
        }
        QCOMPARE(inBreak.part, 1);
        const StateMessage planned{kController, 8, StateEvent::Tick, 1700000000123, inBreak};
        QCOMPARE(*readState(writeState(kExam, planned), kExam).message, planned);
        QVERIFY(fitsOnWire(inBreak.plan));
        pause.banner = QString(200, u'休');
        QVERIFY(!fitsOnWire(Programme{std::vector<Part>(100, pause)}));

        const PresenceMessage p{kController, true, 1700000000000, true, u"host-1"_qs, u"c-00000000000000aa"_qs};
        QCOMPARE(*readPresence(writePresence(kExam, p), kExam).message, p);

        RoomStatus r;
        r.room = u"第2教室"_qs;
        r.from = u"r-00000000000000ff"_qs;
        r.online = true;
        r.follows = kController;
        r.state = RunState::Paused;
        r.question = 3;
        r.second = 12;
        r.offsetKnown = true;
        r.offsetMs = -5003.4;
        r.rttMs = 0.8;
        r.cues = {CueSource::OwnFile, CueSource::BuiltIn, CueSource::OwnFile, CueSource::Silent};
        QCOMPARE(*readStatus(writeStatus(kExam, r), kExam, r.room).message, r);
        // The wire keeps its names, and a silent cue is told as silent.
        QVERIFY(writeStatus(kExam, r).contains(R"("cues":["own","builtin","own","silent"])"));
        QCOMPARE(cuesNotOwn(r.cues), u"内蔵の音：2\u3000鳴らない：4"_qs);
        // An older room's status has no readiness; a newer one's reads back.
        QVERIFY(!writeStatus(kExam, r).contains("ready"));
        r.ready = {true, u"HDMI-1"_qs, true, false, 1700000000999,
                   {CueSource::OwnFile, CueSource::BuiltIn, CueSource::Silent, CueSource::NotOpen},
                   -120, 35, u"bluetooth"_qs};
        QCOMPARE(*readStatus(writeStatus(kExam, r), kExam, r.room).message, r);
        r.clock = {true, true, 0.05, u"chrony"_qs, true, 0};
        QCOMPARE(*readStatus(writeStatus(kExam, r), kExam, r.room).message, r);
        r.hold = {true, HoldBy::Room, 1700000000500, 3, true, 1700000009000, 4, {{1, 3, 4}, {3, 1, 2}}};
        QCOMPARE(*readStatus(writeStatus(kExam, r), kExam, r.room).message, r);
        // An older room says only what the block it was held in lost; and
        // lost questions out of bounds or out of order are refused.
        const QByteArray held = writeStatus(kExam, r);
        QCOMPARE(readStatus(QByteArray(held).replace(R"("lost":[[1,3,4],[3,1,2]],)", ""), kExam, r.room).message->hold.lost,
                 (std::vector<LostQuestions>{{0, 3, 4}}));
        for (const char *bad : {"[[3,1,2],[1,3,4]]", "[[1,3,4],[3,2,1]]", "[[1,0,4]]", "[[101,1,2]]", "[[1,1,2.5]]",
                                "[[0,1,2],[3,1,2]]", "[[1,3,4,5]]"})
            QCOMPARE(readStatus(QByteArray(held).replace("[[1,3,4],[3,1,2]]", bad), kExam, r.room).detail, u"hold.lost"_qs);
        // A programme's every block lost still fits in a status.
        r.hold.lost.clear();
        for (int i = 1; i <= programme_limits::kMaxParts; ++i)
            r.hold.lost.push_back({i, 32767, 32767});
        QCOMPARE(readStatus(writeStatus(kExam, r), kExam, r.room).message->hold, r.hold);
        const HoldAsk hold{kController, r.room, false, 1700000000000};
        QCOMPARE(*readHoldAsk(writeHoldAsk(kExam, hold), kExam, r.room).message, hold);
        QCOMPARE(readHoldAsk(writeHoldAsk(kExam, hold), kExam, u"A"_qs).refusal, Refusal::OtherExam);
        const SoundCheckAsk ask{kController, 1700000000000};
        QCOMPARE(*readSoundCheckAsk(writeSoundCheckAsk(kExam, ask), kExam).message, ask);

        QCOMPARE(*readClockAsk(writeClockAsk(kExam, r.room), kExam).message, r.room);
        const ClockReply c{kController, 1700000000000123, 1700000000000456, {true, true, 0.25, u"ntp"_qs, false, 0}};
        QCOMPARE(*readClockReply(writeClockReply(kExam, c), kExam).message, c);
    }

    void stateRefused_data()
    {
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<Refusal>("why");
        QTest::addColumn<QString>("detail");
        QTest::newRow("oversized") << QByteArray(kMaxPayload + 1, ' ') << Refusal::TooLarge << "";
        QTest::newRow("not JSON") << QByteArray("{\"v\":1,") << Refusal::Malformed << "";
        QTest::newRow("an array") << QByteArray("[1,2]") << Refusal::Malformed << "";
        QTest::newRow("no version") << changed("v", {}) << Refusal::Malformed << "v";
        QTest::newRow("version 1") << changed("v", 1) << Refusal::OtherVersion << "";
        QTest::newRow("another kind") << changed("kind", "room") << Refusal::Malformed << "kind";
        QTest::newRow("another exam") << changed("exam", "B") << Refusal::OtherExam << "exam";
        QTest::newRow("from a room") << changed("from", "r-0123456789abcdef") << Refusal::NotFromController << "from";
        QTest::newRow("from nobody") << changed("from", "c-XYZ") << Refusal::NotFromController << "from";
        QTest::newRow("seq negative") << changed("seq", -1) << Refusal::BadValue << "seq";
        QTest::newRow("seq a fraction") << changed("seq", 1.5) << Refusal::BadValue << "seq";
        QTest::newRow("due a text") << changed("due", "soon") << Refusal::Malformed << "due";
        QTest::newRow("unknown event") << changed("event", "explode") << Refusal::BadValue << "event";
        QTest::newRow("other period") << changed("period", 500) << Refusal::BadValue << "period";
        QTest::newRow("no run") << changed("run", {}) << Refusal::Malformed << "run";
        QTest::newRow("t beyond 16 bits") << changed("run.t", 40000) << Refusal::BadValue << "run.t";
        QTest::newRow("sw 2") << changed("run.sw", 2) << Refusal::BadValue << "run";
        QTest::newRow("font factor 3") << changed("run.fkc", 3) << Refusal::BadValue << "run";
        QTest::newRow("total beyond 16 bits") << changed("run.cycle", 32000) << Refusal::BadValue << "run";
        QTest::newRow("question not a number") << changed("run.question", "rm") << Refusal::BadValue << "run.question";
        QTest::newRow("question too long") << changed("run.question", "123456") << Refusal::Malformed << "run.question";
        QTest::newRow("plan not a list") << changed("run.plan", 5) << Refusal::BadValue << "run.plan";
        QTest::newRow("plan with no question")
            << changed("run.plan", QJsonArray{QJsonObject{{"questions", 0}, {"answer", 3}, {"move", 1}}})
            << Refusal::BadValue << "run.plan";
        QTest::newRow("plan, no part") << changed("run.plan", QJsonArray{QJsonObject{{"break", 5}}}) << Refusal::Malformed
                                       << "run.part";
        QTest::newRow("no question outside a plan") << changed("run.question", "") << Refusal::BadValue << "run.question";
        QTest::newRow("caption not a flag") << changed("run.reset", 1) << Refusal::Malformed << "run.reset";
    }
    void stateRefused()
    {
        QFETCH(QByteArray, payload);
        QFETCH(Refusal, why);
        QFETCH(QString, detail);
        const Reading<StateMessage> r = readState(payload, kExam);
        QVERIFY(!r.ok());
        QCOMPARE(r.refusal, why);
        if (!detail.isEmpty())
            QCOMPARE(r.detail, detail);
    }

    void othersRefused()
    {
        RoomStatus s;
        s.room = u"A"_qs;
        s.from = u"r-0123456789abcdef"_qs;
        const QByteArray status = writeStatus(kExam, s);
        QCOMPARE(readStatus(status, kExam, u"B"_qs).refusal, Refusal::OtherExam); // published under another room
        QCOMPARE(readStatus(QByteArray(status).replace("unknown", "x"), kExam, u"A"_qs).refusal,
                 Refusal::BadValue);
        QCOMPARE(readPresence(writePresence(kExam, {u"r-0123456789abcdef"_qs, true, 0, true, {}, {}}), kExam).refusal,
                 Refusal::NotFromController);
        QCOMPARE(readClockReply(writeClockReply(kExam, {kController, 10, 5, {}}), kExam).refusal, Refusal::BadValue);
        QCOMPARE(readClockAsk(writeClockAsk(kExam, u"a/b"_qs), kExam).refusal, Refusal::BadValue);
        // A readiness that does not hold four cue names, and a request not from a controller.
        s.ready.known = true;
        QCOMPARE(readStatus(writeStatus(kExam, s).replace(R"("heard":["unknown",)", R"("heard":[)"), kExam, u"A"_qs)
                     .detail,
                 u"ready.heard"_qs);
        QCOMPARE(readSoundCheckAsk(writeSoundCheckAsk(kExam, {s.from, 1}), kExam).refusal, Refusal::NotFromController);
        // A speaker's correction beyond its bounds, and a risk of no known kind.
        s.ready.speakerDelayMs = 2000;
        const QByteArray ready = writeStatus(kExam, s);
        QVERIFY(readStatus(ready, kExam, u"A"_qs).ok());
        QCOMPARE(readStatus(QByteArray(ready).replace(R"("speakerDelay":2000)", R"("speakerDelay":2001)"), kExam,
                            u"A"_qs)
                     .detail,
                 u"ready.speakerDelay"_qs);
        QCOMPARE(readStatus(QByteArray(ready).replace(R"("sinkRisk":"")", R"("sinkRisk":"hdmi")"), kExam, u"A"_qs).detail,
                 u"ready.sinkRisk"_qs);
    }

    // A room's cue report: every number bounded, the room the topic's.
    void cueReport_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("taken");
        const double now = 1.7e12;
        QTest::newRow("as written") << u""_qs << 0.0 << true;
        QTest::newRow("player 0") << u"player"_qs << 0.0 << false;
        QTest::newRow("player 5") << u"player"_qs << 5.0 << false;
        QTest::newRow("due two days ago") << u"due"_qs << now - 2 * 86400e3 << false;
        QTest::newRow("due a fraction") << u"due"_qs << now + 0.5 << false;
        QTest::newRow("not heard") << u"started"_qs << 0.0 << true;
        QTest::newRow("started 2 s early") << u"started"_qs << now - 2000 << false;
        QTest::newRow("started 11 s late") << u"started"_qs << now + 11000 << false;
        QTest::newRow("offset beyond a day") << u"offset"_qs << 90000e3 << false;
        QTest::newRow("negative second") << u"second"_qs << -1.0 << false;
    }
    void cueReport()
    {
        QFETCH(QString, field);
        QFETCH(double, value);
        QFETCH(bool, taken);
        const qint64 now = 1'700'000'000'000;
        const CueReport m{u"r-00000000000000a1"_qs,
                          {u"A"_qs, now, 2, 3, 12, now + 83, 5000.4, CueSource::BuiltIn}};
        QJsonObject o = QJsonDocument::fromJson(writeCueReport(u"E"_qs, m)).object();
        if (!field.isEmpty())
            o[field] = value;
        const QByteArray bytes = QJsonDocument(o).toJson(QJsonDocument::Compact);
        const Reading<CueReport> r = readCueReport(bytes, u"E"_qs, u"A"_qs, now);
        QCOMPARE(r.ok(), taken);
        if (field.isEmpty())
            QCOMPARE(*r.message, m);
        // Only the room whose topic it came on.
        QVERIFY(!readCueReport(bytes, u"E"_qs, u"B"_qs, now).ok());
    }
    void names_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("valid");
        QTest::newRow("Japanese") << u"第2教室"_qs << true;
        QTest::newRow("40 characters") << QString(40, u'x') << true;
        QTest::newRow("41 characters") << QString(41, u'x') << false;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("a level of topic") << u"a/b"_qs << false;
        QTest::newRow("wildcard +") << u"a+"_qs << false;
        QTest::newRow("wildcard #") << u"#"_qs << false;
        QTest::newRow("control character") << u"a\nb"_qs << false;
        QTest::newRow("blank at the end") << u"A "_qs << false;
    }
    void names()
    {
        QFETCH(QString, name);
        QFETCH(bool, valid);
        QCOMPARE(validName(name), valid);
        const Topics t(kExam);
        QCOMPARE(t.roomOf(t.roomStatus(name)).has_value(), valid);
    }

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("expected"); // role exam room host:port, or "refused"
        QTest::newRow("none") << QStringList() << "none";
        QTest::newRow("controller") << QStringList{"--exam", "E", "--broker", "10.0.0.5"} << "controller E  10.0.0.5:1883";
        QTest::newRow("room") << QStringList{"--exam", "E", "--broker", "h:1884", "--room", "A"} << "room E A h:1884";
        QTest::newRow("IPv6") << QStringList{"--exam", "E", "--broker", "[::1]:1999"} << "controller E  ::1:1999";
        QTest::newRow("no broker") << QStringList{"--exam", "E"} << "refused";
        QTest::newRow("room alone") << QStringList{"--room", "A"} << "refused";
        QTest::newRow("port 0") << QStringList{"--exam", "E", "--broker", "h:0"} << "refused";
        QTest::newRow("port text") << QStringList{"--exam", "E", "--broker", "h:x"} << "refused";
        QTest::newRow("bad room") << QStringList{"--exam", "E", "--broker", "h", "--room", "a/b"} << "refused";
    }
    void commandLine()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, expected);
        QCommandLineParser parser;
        addCommandLineOptions(parser);
        QVERIFY(parser.parse(QStringList{"tavrin"} + args));
        RoomsOptions o;
        const QString error = applyCommandLine(parser, o);
        if (expected == "refused") {
            QVERIFY(!error.isEmpty());
            QCOMPARE(o.role, Role::None);
            return;
        }
        QVERIFY2(error.isEmpty(), qPrintable(error));
        const char *roles[] = {"none", "controller", "room"};
        const QString got = o.role == Role::None ? QStringLiteral("none")
                                                 : QStringLiteral("%1 %2 %3 %4:%5")
                                                       .arg(roles[int(o.role)], o.exam, o.room, o.broker.host)
                                                       .arg(o.broker.port);
        QCOMPARE(got, expected);
    }
};

QTEST_GUILESS_MAIN(TestProtocol)
#include "tst_protocol.moc"
