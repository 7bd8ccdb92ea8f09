// The controller's ask that sets a room's speaker correction: applied only
// when fresh, from the controller followed, about this room, within bounds
// and between runs; every other one is refused, counted and changes nothing.
#include "identity.h"
#include "member_rig.h"

#include <QTest>

using namespace tavrin;
using namespace tavrin::rooms;
using namespace tavrin::testing;

Q_DECLARE_METATYPE(tavrin::rooms::Refusal)

namespace {

struct SpeakerRig : RoomRig {
    int delayMs = 40;
    QList<int> applied;
    SpeakerRig()
    {
        room->setSpeakerDelay([this] { return delayMs; }, [this](int ms) {
            applied << ms;
            delayMs = ms;
            return QString();
        });
        deliver(topics.controller(), presence(kCtl, clock.wallMs() - 60'000));
        answerFirst(kCtl);
    }
    void ask(int ms, qint64 atMs, const QString &from = kCtl, const QString &about = u"A"_qs,
             const SigningKey &k = key())
    {
        const QString topic = topics.roomSpeaker(u"A"_qs);
        deliver(topic, sealPayload(k, topic, {}, writeSpeakerAsk(kExam, {from, about, ms, atMs})));
    }
};

} // namespace

class TestSpeakerAsk : public QObject {
    Q_OBJECT
private slots:
    void onlyAValidAskApplied_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("about");
        QTest::addColumn<int>("ms");
        QTest::addColumn<int>("ageMs");
        QTest::addColumn<bool>("roomKey");
        QTest::addColumn<int>("why"); // a Refusal; -1: taken
        QTest::newRow("the controller's") << kCtl << u"A"_qs << -150 << 0 << false << -1;
        QTest::newRow("at the bound") << kCtl << u"A"_qs << 2000 << 0 << false << -1;
        QTest::newRow("forged: signed by a room") << kCtl << u"A"_qs << 150 << 0 << true << int(Refusal::Unsigned);
        QTest::newRow("another controller's") << kOther << u"A"_qs << 150 << 0 << false << int(Refusal::OtherController);
        QTest::newRow("about another room") << kCtl << u"B"_qs << 150 << 0 << false << int(Refusal::OtherExam);
        QTest::newRow("stale") << kCtl << u"A"_qs << 150 << 31'000 << false << int(Refusal::Replayed);
        QTest::newRow("from the future") << kCtl << u"A"_qs << 150 << -31'000 << false << int(Refusal::Replayed);
        QTest::newRow("beyond the bound") << kCtl << u"A"_qs << 2001 << 0 << false << int(Refusal::BadValue);
        QTest::newRow("below the bound") << kCtl << u"A"_qs << -2001 << 0 << false << int(Refusal::BadValue);
    }
    void onlyAValidAskApplied()
    {
        QFETCH(QString, from);
        QFETCH(QString, about);
        QFETCH(int, ms);
        QFETCH(int, ageMs);
        QFETCH(bool, roomKey);
        QFETCH(int, why);
        SpeakerRig r;
        r.ask(ms, r.clock.wallMs() - ageMs, from, about, roomKey ? MemberRig::roomKey(0) : MemberRig::key());
        QCOMPARE(r.applied, why < 0 ? QList<int>{ms} : QList<int>{});
        QCOMPARE(r.room->refusals().total(), why < 0 ? 0 : 1);
        if (why >= 0) {
            QCOMPARE(r.room->refusals().count(Refusal(why)), 1);
            QVERIFY(!r.room->speakerChange());
        } else {
            QCOMPARE(r.room->speakerChange()->fromMs, 40);
            QCOMPARE(r.room->speakerChange()->toMs, ms);
        }
    }

    // Each ask once, one a second, and none while a run is under way.
    void replaysFloodsAndRunsRefused()
    {
        SpeakerRig r;
        const qint64 at = r.clock.wallMs();
        r.ask(100, at);
        r.ask(100, at); // captured and sent again
        r.ask(200, at + 10);
        QCOMPARE(r.room->refusals().count(Refusal::Replayed), 1);
        QCOMPARE(r.room->refusals().count(Refusal::TooMany), 1);
        r.clock.advance(1000);
        r.ask(300, r.clock.wallMs());
        QCOMPARE(r.applied, (QList<int>{100, 300}));
        startRun(r.engine, 3, 1, 3);
        r.clock.advance(1000);
        r.ask(400, r.clock.wallMs());
        QCOMPARE(r.applied, (QList<int>{100, 300}));
        QCOMPARE(r.room->refusals().total(), 2);
    }
};

QTEST_GUILESS_MAIN(TestSpeakerAsk)
#include "tst_speaker_ask.moc"
