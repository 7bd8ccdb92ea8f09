// A controller and two rooms; room B is held in every other question and
// brought back a second later. The figures of its rejoin:
//   rooms_hold.rejoin_spread_{median,p95,max}  ms, the first cue B plays
//                                             after each rejoin against the
//                                             same cue of A and the controller
//                                             (latest minus earliest onset)
//   rooms_hold.spread_{median,p95}             ms, the same for every cue all
//                                             three played, for comparison
//   rooms_hold.held_cues                       cues B played while held (0)
// Needs an X display, PulseAudio and mosquitto, as the end-to-end test does.
// Usage: bench_rooms_hold [QUESTIONS]  (default 12, at 3 + 1 s)
#include "ports.h"
#include "rooms_rig.h"

#include "bench_support.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QThread>

#include <algorithm>
#include <cstdio>

namespace {

using bench::percentile;

// The onset of m nearest t, within the rig's bound; 0: none.
double near(const std::vector<double> &onsets, double t)
{
    for (double o : onsets)
        if (std::abs(o - t) < e2e::RoomsRig::kSameCue)
            return o;
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int questions = argc > 1 ? std::clamp(QString::fromLocal8Bit(argv[1]).toInt(), 4, 60) : 12;
    e2e::RoomsRig rig;
    const qint64 startMs = (QDateTime::currentMSecsSinceEpoch() / 1000 + 22) * 1000;
    rig.controllerArgs = {QStringLiteral("--start-at"),
                          QDateTime::fromMSecsSinceEpoch(startMs).toString(QStringLiteral("HH:mm:ss"))};
    const QString started = rig.start(QStringLiteral("3,1,%1").arg(questions), {QStringLiteral("A"), QStringLiteral("B")},
                                      {0, 3}, {true, true});
    if (!started.isEmpty()) {
        std::fprintf(stderr, "bench_rooms_hold: %s\n", qPrintable(started));
        return 1;
    }
    QString controllerId;
    for (const auto &e : rig.log.entries())
        if (e.topic == QStringLiteral("tavrin/e2e/schedule"))
            controllerId = e2e::json(e.payload).value(QStringLiteral("from")).toString();
    // Tick n is due at start + n s; question q starts on tick 4q - 3.
    const double start = double(startMs) / 1000;
    auto waitUntil = [](double wall) {
        while (e2e::wallSeconds() < wall)
            QThread::msleep(10);
    };
    std::vector<std::pair<double, double>> held; // from, rejoin (the cue due then)
    for (int q = 2; q < questions; q += 2) {
        const double qStart = start + 4 * q - 3;
        waitUntil(qStart + 0.5);
        rig.askHold(QStringLiteral("B"), true, controllerId, QDateTime::currentMSecsSinceEpoch());
        waitUntil(qStart + 1.5);
        rig.askHold(QStringLiteral("B"), false, controllerId, QDateTime::currentMSecsSinceEpoch());
        held.emplace_back(qStart + 0.5, qStart + 4 + double(tavrin::kCueDelayMs) / 1000);
    }
    waitUntil(start + 4 * questions + 2);
    const std::vector<double> c = rig.onsets(rig.controller());
    const std::vector<double> a = rig.onsets(*rig.room(QStringLiteral("A")));
    const std::vector<double> b = rig.onsets(*rig.room(QStringLiteral("B")));
    std::vector<double> rejoin, spread;
    int heldCues = 0;
    for (double t : c) {
        const double ta = near(a, t), tb = near(b, t);
        if (ta > 0 && tb > 0)
            spread.push_back((std::max({t, ta, tb}) - std::min({t, ta, tb})) * 1000);
    }
    for (const auto &[from, cue] : held) {
        for (double t : b)
            heldCues += t > from + 0.1 && t < cue - 0.3;
        const double tc = near(c, cue), ta = near(a, tc), tb = near(b, tc);
        if (tc > 0 && ta > 0 && tb > 0)
            rejoin.push_back((std::max({tc, ta, tb}) - std::min({tc, ta, tb})) * 1000);
        else
            std::fprintf(stderr, "bench_rooms_hold: no cue of all three at %.1f s\n", cue - start);
    }
    std::printf("rooms_hold.rejoins %zu of %zu\n", rejoin.size(), held.size());
    std::printf("rooms_hold.rejoin_spread_median %.1f ms\n", percentile(rejoin, 0.5));
    std::printf("rooms_hold.rejoin_spread_p95 %.1f ms\n", percentile(rejoin, 0.95));
    std::printf("rooms_hold.rejoin_spread_max %.1f ms\n", percentile(rejoin, 1));
    std::printf("rooms_hold.spread_median %.1f ms\n", percentile(spread, 0.5));
    std::printf("rooms_hold.spread_p95 %.1f ms\n", percentile(spread, 0.95));
    std::printf("rooms_hold.held_cues %d\n", heldCues);
    return rejoin.size() == held.size() && heldCues == 0 ? 0 : 1;
}
