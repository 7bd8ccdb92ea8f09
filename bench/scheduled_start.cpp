// A start at a time of day in four rooms on this machine (a controller and
// three rooms, room B's clock 5 s ahead, started with --start-at 20 s ahead):
//   scheduled.first_cue_max             ms, each member's first cue onset
//                                       against the scheduled second, the
//                                       largest of the four (absolute)
//   scheduled.cue_{median,max}          ms, every cue of the first three
//                                       seconds against the scheduled second
//                                       plus its due tick (absolute)
// The onsets are what each member's null sink recorded: the output's latency
// is in them. Needs an X display, PulseAudio, mosquitto and faketime, as the
// end-to-end test does. Usage: bench_scheduled_start
#include "rooms_rig.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    e2e::RoomsRig rig;
    const qint64 startMs = (QDateTime::currentMSecsSinceEpoch() / 1000 + 20) * 1000;
    rig.controllerArgs = {QStringLiteral("--start-at"),
                          QDateTime::fromMSecsSinceEpoch(startMs).toString(QStringLiteral("HH:mm:ss"))};
    const QStringList rooms{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")};
    if (const QString e = rig.start(QStringLiteral("3,2,2"), rooms, {0, 5, 0}, {true, true, true}); !e.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(e));
        return 1;
    }
    e2e::closeNotices();
    const double start = double(startMs) / 1000;
    if (e2e::wallSeconds() > start - 1) {
        std::fprintf(stderr, "the members were not ready before the start\n");
        return 1;
    }
    while (e2e::wallSeconds() < start + 4)
        QThread::msleep(200);
    double firstMax = 0;
    std::vector<double> all;
    for (const auto &m : rig.members) {
        bool first = true;
        for (double t : rig.onsets(*m)) {
            if (t < start - 0.5 || t > start + 2.5)
                continue;
            const double dev = std::abs(t - (start + std::round(t - start))) * 1000;
            if (first)
                firstMax = std::max(firstMax, dev);
            first = false;
            all.push_back(dev);
        }
        if (first) {
            std::fprintf(stderr, "%s played nothing at the start\n", qPrintable(m->name));
            return 1;
        }
    }
    std::sort(all.begin(), all.end());
    std::printf("scheduled.first_cue_max %.1f ms\n", firstMax);
    std::printf("scheduled.cue_median %.1f ms\n", all[all.size() / 2]);
    std::printf("scheduled.cue_max %.1f ms\n", all.back());
    return 0;
}
