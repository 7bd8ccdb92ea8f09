// Three rooms on the paths of a real building, each through a relay of its
// own: a quiet wire, a Wi-Fi room that loses a segment now and then, and a
// room on a lopsided path whose clock is 2.5 s off and runs 100 ppm fast.
// A fourth room is on another site's broker, bridged to the examination's.
// Every room hears every cue with the controller, the bridged room's status
// and cue reports come back, and the lopsided room knows its clock's offset
// to within what its path hides.
#include "click_points.h"
#include "rooms_rig.h"

#include <QJsonObject>
#include <QTest>

namespace at = tavrin::testing::at;

class TestRoomsNetwork : public QObject {
    Q_OBJECT
private slots:
    void buildingPaths()
    {
        e2e::RoomsRig rig;
        rig.useBuilding();
        const QStringList rooms{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("D")};
        const QString started = rig.start(QStringLiteral("3,2,3"), rooms, {0, 0, 0, 0}, {true, true, true, true});
        QVERIFY2(started.isEmpty(), qPrintable(started));
        e2e::closeNotices();
        const double begin = e2e::wallSeconds();
        rig.controller().program->click(at::command1);
        QVERIFY(rig.log.waitFor(
            [](const e2e::BrokerLog::Entry &e) {
                const auto s = e2e::shownByController(e.payload);
                return s && s->state == QStringLiteral("finished");
            },
            40000, begin));
        std::vector<e2e::Member *> all;
        for (auto &m : rig.members)
            all.push_back(m.get());
        QVERIFY(rig.heardSince(all, begin));
        const QString together = rig.together(all, begin, e2e::wallSeconds());
        QVERIFY2(together.isEmpty(), qPrintable(together));
        const auto proofs = rig.proofs();
        QVERIFY2(std::any_of(proofs.begin(), proofs.end(), [](const auto &p) { return p.room == QStringLiteral("D"); }),
                 "no cue report of the bridged room reached the controller");

        // Half the path's asymmetry (3.5 ms) no exchange can see; the rest
        // is the estimate's.
        const e2e::Member &c = *rig.room(QStringLiteral("C"));
        double error = 1e9;
        for (const auto &e : rig.log.entries())
            if (e.topic == QStringLiteral("tavrin/%1/rooms/C/status").arg(rig.exam)) {
                const QJsonObject o = e2e::json(e.payload);
                if (o.value(QStringLiteral("offsetKnown")).toBool())
                    error = o.value(QStringLiteral("offset")).toDouble() - e2e::buildingClockAheadMs(c, e.at);
            }
        QVERIFY2(std::abs(error) < 8, qPrintable(QStringLiteral("room C's offset is %1 ms off").arg(error)));
    }
};

QTEST_GUILESS_MAIN(TestRoomsNetwork)
#include "tst_rooms_network_e2e.moc"
