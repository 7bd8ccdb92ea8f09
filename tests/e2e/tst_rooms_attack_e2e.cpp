// A stranger on the exam network tries to steer the rooms: a controller and
// two rooms with the examination's key, paused in question 1, and an
// attacker of its own (rooms_attacker.py, paho) that sends every forgery it
// can make. First with room A's login on a broker locked down with the
// program's own password file and access list, then anonymous on an open
// broker. No room changes what it shows, and the controller's line says
// that forgeries were refused. Then a second controller for the same
// examination leads only once its operator takes over, and every room
// plays every cue after it.
#include "click_points.h"
#include "private_broker.h"
#include "rooms_rig.h"
#include "identity.h"
#include "options.h"

#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <QScopeGuard>
#include <QSet>
#include <QTest>

namespace at = tavrin::testing::at;
using e2e::BrokerLog;
using e2e::Member;
using e2e::Shown;

namespace {

const QString kPassphrase = u"合言葉 e2e"_qs;
constexpr QRect kLine(196, 67, 440, 11); // the controller's line under the buttons

QString topic(const e2e::RoomsRig &rig, const QString &rest)
{
    return QStringLiteral("tavrin/%1/%2").arg(rig.exam, rest);
}

// The last entry on a topic that matches, or an empty object.
QJsonObject last(e2e::RoomsRig &rig, const QString &on, const std::function<bool(const QJsonObject &)> &pred = {})
{
    const auto &log = rig.log.entries();
    for (auto it = log.rbegin(); it != log.rend(); ++it)
        if (it->topic == on && (!pred || pred(e2e::json(it->payload))))
            return e2e::json(it->payload);
    return {};
}

bool waitFor(e2e::RoomsRig &rig, const QString &on, double since, const std::function<bool(const QJsonObject &)> &pred,
             int timeoutMs = 10000)
{
    return rig.log.waitFor([&](const BrokerLog::Entry &e) { return e.topic == on && pred(e2e::json(e.payload)); },
                           timeoutMs, since);
}

// Pixels of the line in its alarm colour, and how far right it is written.
std::pair<int, int> line(const Member &ctl)
{
    const QImage shot = ctl.program->shot();
    int alarm = 0, right = 0;
    for (int y = kLine.top(); y <= kLine.bottom(); ++y)
        for (int x = kLine.left(); x <= std::min(kLine.right(), shot.width() - 1); ++x) {
            const QColor c = shot.pixelColor(x, y);
            alarm += c.red() > 0xC0 && std::abs(c.green() - 0x70) < 0x28 && c.blue() < 0x60;
            right = c.red() > 0x80 ? x : right;
        }
    return {alarm, right};
}

// A controller and rooms A and B, with the key or without; the run started and paused.
QString startPaused(e2e::RoomsRig &rig, Shown &paused, bool keyed = true)
{
    rig.passphrase = keyed ? kPassphrase : QString();
    if (QString e = rig.start(u"4,2,3"_qs, {u"A"_qs, u"B"_qs}, {0, 0}, {true, true}); !e.isEmpty())
        return e;
    e2e::closeNotices();
    Member &ctl = rig.controller();
    ctl.program->click(at::command1);
    const double started = e2e::wallSeconds();
    if (!waitFor(rig, topic(rig, u"state"_qs), started, [](const QJsonObject &o) { return o[u"run"_qs][u"t"_qs].toInt() >= 2; }))
        return u"the run did not start"_qs;
    const double pausedAt = e2e::wallSeconds();
    ctl.program->click(at::command2);
    for (const QString &room : {u"A"_qs, u"B"_qs})
        if (!waitFor(rig, topic(rig, u"rooms/%1/status"_qs.arg(room)), pausedAt,
                     [](const QJsonObject &o) { return o[u"state"_qs] == u"paused"_qs; }))
            return u"room %1 did not pause"_qs.arg(room);
    const auto &log = rig.log.entries();
    for (auto it = log.rbegin(); it != log.rend(); ++it)
        if (it->topic == topic(rig, u"state"_qs)) {
            paused = *e2e::shownByController(it->payload);
            break;
        }
    e2e::closeNotices();
    return {};
}

// Everything the attacker tries, and what the broker answered to each.
QString attack(e2e::RoomsRig &rig, const QStringList &login, const Shown &paused, bool locked, bool keyed = true)
{
    Member &ctl = rig.controller();
    const QString ctlId = last(rig, topic(rig, u"state"_qs))[u"from"_qs].toString();
    QHash<QString, QJsonObject> before;
    for (const QString &room : {u"A"_qs, u"B"_qs})
        before[room] = last(rig, topic(rig, u"rooms/%1/status"_qs.arg(room)));
    const auto [alarmBefore, rightBefore] = line(ctl);

    QFile captured(ctl.dir.filePath(u"captured.txt"_qs));
    if (!captured.open(QIODevice::WriteOnly))
        return captured.errorString();
    for (const auto &e : rig.log.entries())
        captured.write(e.topic.toUtf8() + '\t' + e.payload + '\n');
    captured.close();

    const double from = e2e::wallSeconds();
    QProcess attacker;
    attacker.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"ATTACKER_REPLAYS_ONLY"_qs, keyed ? QString() : u"1"_qs);
    // The stranger has copied room A's PC: its key file too.
    if (keyed)
        env.insert(u"ATTACKER_ROOM_KEY"_qs, rig.room(u"A"_qs)->dir.filePath(QString::fromLatin1(tavrin::rooms::kRoomKeyFile)));
    attacker.setProcessEnvironment(env);
    attacker.start(u"/usr/bin/python3"_qs, QStringList{QFINDTESTDATA("rooms_attacker.py"), QString::number(rig.broker.port())} +
                                               login + QStringList{rig.exam, u"A"_qs, u"B"_qs, captured.fileName()});
    if (!attacker.waitForFinished(90000) || attacker.exitCode() != 0)
        return u"the attacker failed (python3-paho-mqtt)"_qs;
    const double to = e2e::wallSeconds();
    int tried = 0;
    for (const QByteArray &l : attacker.readAllStandardOutput().split('\n')) {
        const QJsonObject o = QJsonDocument::fromJson(l).object();
        if (o.isEmpty())
            continue;
        ++tried;
        const QString on = o[u"topic"_qs].toString();
        // A room's login may write its own status and ask the time; the
        // broker refuses everything else.
        const bool allowed = !locked || on == topic(rig, u"rooms/A/status"_qs) || on == topic(rig, u"clock"_qs);
        const int rc = o[u"rc"_qs].toInt();
        qInfo("%-45s %-32s sent %5d: %s", qPrintable(o[u"name"_qs].toString()), qPrintable(on), o[u"count"_qs].toInt(),
              rc == 0 ? "delivered" : rc == 135 ? "refused by the broker" : qPrintable(QString::number(rc)));
        if (rc != (allowed ? 0 : 135))
            return u"%1 on %2: the broker answered %3"_qs.arg(o[u"name"_qs].toString(), on).arg(rc);
    }
    if (tried < (keyed ? 21 : 4))
        return u"the attacker tried only %1 forgeries"_qs.arg(tried);
    if (locked && rig.log.waitFor([&](const BrokerLog::Entry &e) { return e.topic == topic(rig, u"state"_qs) ||
                                                                         e.topic == topic(rig, u"controller"_qs); },
                                  0, from))
        return u"a forbidden message reached the broker's subscribers"_qs;

    // Every room reports again after the attack: what it showed all along,
    // following the same controller, its clock offset unmoved.
    if (!rig.roomsReport(12000, to))
        return u"a room did not report itself after the attack"_qs;
    // What a room said is what the key it named before signed (without a
    // key: what was not captured); the attacker's statuses are not what it shows.
    QSet<QByteArray> replayed;
    for (const auto &e : rig.log.entries())
        if (e.at < from)
            replayed.insert(e.payload);
    for (const QString &room : {u"A"_qs, u"B"_qs}) {
        const auto key = tavrin::rooms::decodeKey(before[room][u"key"_qs].toString().toLatin1(), 32);
        if (keyed && !key)
            return u"room %1 named no key of its own"_qs.arg(room);
        for (const auto &e : rig.log.entries()) {
            const QJsonObject o = e2e::json(e.payload);
            if (e.at < from || e.topic != topic(rig, u"rooms/%1/status"_qs.arg(room)) ||
                (keyed && tavrin::rooms::openPayload(*key, e.topic, {}, e.payload, nullptr) != tavrin::rooms::SigCheck::Good) ||
                (!keyed && replayed.contains(e.payload)))
                continue;
            if (e2e::shownByRoom(e.payload) != paused || o[u"follows"_qs] != ctlId || o.contains(u"hold"_qs) ||
                std::abs(o[u"offset"_qs].toDouble() - before[room][u"offset"_qs].toDouble()) > 500)
                return u"room %1 changed: %2"_qs.arg(room, QString::fromUtf8(e.payload));
        }
    }
    QImage grab;
    const bool same = rig.sameViews({&ctl, rig.room(u"A"_qs), rig.room(u"B"_qs)}, &grab);
    grab.save(locked ? u"attack-locked.png"_qs : u"attack-open.png"_qs);
    if (!same)
        return u"the rooms do not show what the controller shows"_qs;
    // The controller's line says so, in its alarm colour.
    const auto [alarmAfter, rightAfter] = line(ctl);
    if (alarmBefore > 0 || alarmAfter < 8 || rightAfter < rightBefore + 40)
        return u"the controller's line does not tell of the refusals (alarm %1 -> %2 pixels, right %3 -> %4)"_qs
            .arg(alarmBefore).arg(alarmAfter).arg(rightBefore).arg(rightAfter);
    return {};
}

void keepLog(e2e::RoomsRig &rig, const QString &file)
{
    QFile f(file);
    if (QTest::currentTestFailed() && f.open(QIODevice::WriteOnly))
        for (const auto &e : rig.log.entries())
            f.write(QByteArray::number(e.at, 'f', 3) + ' ' + e.topic.toUtf8() + ' ' + e.payload + '\n');
}

} // namespace

class TestRoomsAttackE2E : public QObject {
    Q_OBJECT
private slots:
    void strangerWithARoomsLogin();
    void strangerOnAnOpenBroker();
    void replaysWithoutAnyKey();
};

void TestRoomsAttackE2E::strangerWithARoomsLogin()
{
    if (const QString why = e2e::missingDisplay(); !why.isEmpty())
        QFAIL(qPrintable(why));
    namespace r = tavrin::rooms;
    e2e::RoomsRig rig;
    r::PrivateBrokerSetup setup;
    setup.exam = rig.exam;
    setup.rooms = QStringList{u"A"_qs, u"B"_qs};
    for (const QString &user : setup.rooms + QStringList{QString::fromLatin1(r::kControllerUser)})
        rig.logins.insert(user, r::newBrokerPassword());
    setup.logins = rig.logins;
    const QString logPassword = u"log-%1"_qs.arg(QCoreApplication::applicationPid());
    rig.broker.lockDown(r::passwordFile(setup, [] { return QByteArray(12, 's'); }) + "e2e-log:" +
                            r::passwordHash(logPassword, QByteArray(12, 'l'), 1000) + '\n',
                        r::aclFile(setup) + "\nuser e2e-log\ntopic read tavrin/#\n", u"e2e-log"_qs, logPassword);
    const auto kept = qScopeGuard([&] { keepLog(rig, u"attack-locked-broker-log.txt"_qs); });
    Shown paused;
    QString problem = startPaused(rig, paused);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    problem = attack(rig, {u"A"_qs, rig.logins.value(u"A"_qs)}, paused, true);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));

    // A second controller for the same examination stands by and asks.
    Member &ctl = rig.controller();
    const QString oldId = last(rig, topic(rig, u"state"_qs))[u"from"_qs].toString();
    Member &ctl2 = rig.add(u"controller2"_qs);
    const double second = e2e::wallSeconds();
    QVERIFY(rig.launch(ctl2).isEmpty());
    const QString box = ctl2.program->waitForWindow(u"別の操作卓が試験を進めています"_qs, 15000);
    QVERIFY2(!box.isEmpty(), "the second controller did not ask whether to take over");
    // It has said nothing on the broker that the rooms could follow.
    const auto byOther = [&](const QJsonObject &o) { return o[u"from"_qs] != oldId; };
    QVERIFY(!waitFor(rig, topic(rig, u"state"_qs), second, byOther, 2000));
    QVERIFY(!waitFor(rig, topic(rig, u"controller"_qs), second,
                     [&](const QJsonObject &o) { return byOther(o) && o[u"leading"_qs].toBool(); }, 0));
    QCOMPARE(last(rig, topic(rig, u"rooms/A/status"_qs))[u"follows"_qs].toString(), oldId);
    QCOMPARE(last(rig, topic(rig, u"rooms/B/status"_qs))[u"follows"_qs].toString(), oldId);

    // Its operator takes over (not the default button): the rooms follow
    // it, the old one is told and stops leading.
    const double takeover = e2e::wallSeconds();
    ctl2.program->keyTo(box, u"Tab"_qs);
    ctl2.program->keyTo(box, u"space"_qs);
    QVERIFY2(waitFor(rig, topic(rig, u"controller"_qs), takeover,
                     [&](const QJsonObject &o) { return byOther(o) && o[u"leading"_qs].toBool() && o[u"over"_qs] == oldId; }),
             "the second controller did not take over");
    const QString newId = last(rig, topic(rig, u"controller"_qs), byOther)[u"from"_qs].toString();
    QVERIFY2(!ctl.program->waitForWindow(u"^Tavrin$"_qs, 5000).isEmpty(), "the old controller was not told");
    for (const QString &room : {u"A"_qs, u"B"_qs})
        QVERIFY(waitFor(rig, topic(rig, u"rooms/%1/status"_qs.arg(room)), takeover,
                        [&](const QJsonObject &o) { return o[u"follows"_qs] == newId && o[u"state"_qs] == u"paused"_qs; }));
    e2e::closeNotices();

    // It resumes and runs the examination to its end: every room plays
    // every cue with it.
    const double resumed = e2e::wallSeconds();
    ctl2.program->click(at::command2);
    QVERIFY(waitFor(rig, topic(rig, u"state"_qs), resumed,
                    [&](const QJsonObject &o) { return o[u"from"_qs] == newId && e2e::shownByController(QJsonDocument(o).toJson())->state == u"finished"_qs; },
                    30000));
    const double finished = e2e::wallSeconds();
    for (const QString &room : {u"A"_qs, u"B"_qs})
        QVERIFY(waitFor(rig, topic(rig, u"rooms/%1/status"_qs.arg(room)), resumed,
                        [](const QJsonObject &o) { return o[u"state"_qs] == u"finished"_qs; }, 3000));
    QVERIFY2(!waitFor(rig, topic(rig, u"state"_qs), takeover, [&](const QJsonObject &o) { return o[u"from"_qs] == oldId; }, 0),
             "the old controller still publishes");
    const std::vector<e2e::Member *> all{&ctl2, rig.room(u"A"_qs), rig.room(u"B"_qs)};
    QVERIFY2(QTest::qWaitFor([&] { return rig.heardSince(all, finished - 0.5); }, 3000), "not every end cue heard");
    problem = rig.together(all, resumed, e2e::wallSeconds());
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
}

void TestRoomsAttackE2E::strangerOnAnOpenBroker()
{
    if (const QString why = e2e::missingDisplay(); !why.isEmpty())
        QFAIL(qPrintable(why));
    e2e::RoomsRig rig;
    const auto kept = qScopeGuard([&] { keepLog(rig, u"attack-open-broker-log.txt"_qs); });
    Shown paused;
    QString problem = startPaused(rig, paused);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    problem = attack(rig, {u"-"_qs, u"-"_qs}, paused, false);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    // The controller's next state is still taken: no forged seq froze a room.
    const double resumed = e2e::wallSeconds();
    rig.controller().program->click(at::command2);
    for (const QString &room : {u"A"_qs, u"B"_qs})
        QVERIFY(waitFor(rig, topic(rig, u"rooms/%1/status"_qs.arg(room)), resumed,
                        [](const QJsonObject &o) { return o[u"state"_qs] == u"running"_qs; }, 3000));
}

// Without any key, replays of what was captured change no room; the controller tells of them.
void TestRoomsAttackE2E::replaysWithoutAnyKey()
{
    if (const QString why = e2e::missingDisplay(); !why.isEmpty())
        QFAIL(qPrintable(why));
    e2e::RoomsRig rig;
    const auto kept = qScopeGuard([&] { keepLog(rig, u"attack-unkeyed-broker-log.txt"_qs); });
    Shown paused;
    QString problem = startPaused(rig, paused, false);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    problem = attack(rig, {u"-"_qs, u"-"_qs}, paused, false, false);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
}

QTEST_GUILESS_MAIN(TestRoomsAttackE2E)
#include "tst_rooms_attack_e2e.moc"
