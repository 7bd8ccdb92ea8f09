// An examination in four rooms on this machine (a controller and three
// rooms, room B's clock 5 s ahead), the figures of keeping them together:
//   rooms.cue_spread_{median,p95,max}   ms, latest minus earliest onset of
//                                       each cue across the four members
//   rooms.gap_to_controller_ROOM_{median,abs_p95,abs_max} ms, each room's
//                                       onset minus the controller's
//   rooms.button_to_rooms_{median,max}  ms, a click of the pause button on
//                                       the controller until every room has
//                                       reported the change (the report's
//                                       way through the broker included)
//   rooms.late_room_right_second        ms, a room started during a run until
//                                       it reports the controller's second
//   rooms.proof_minus_heard_{median,absmax} ms, the start each room reported
//                                       (so the deviation the record states)
//                                       against the onset its sink recorded
//   rooms.onset_minus_due_{median,absmax} ms, that onset against the second
//                                       it was due on the controller's grid
//                                       (plus the fixed cue delay)
// Needs an X display, PulseAudio, mosquitto and faketime, as the end-to-end
// test does. Usage: bench_rooms [--signed] [--network [--system-clock]] [--times A,M,Q]
//   --signed   every member with the key: the figures named rooms_signed.*
//   --network  each room on a path like a real building's, through a relay:
//              A 1±0.5 ms each way; B 3±2 ms, 1 % of chunks held 200 ms
//              (Wi-Fi); C 8±2 ms up and 1±0.5 ms down, 1 % held, its clock
//              2.5 s off and 100 ppm fast; D on another site's broker,
//              bridged; B's speaker 120 ms slower than its sink says, its
//              correction measured as the README says (figures
//              rooms_network.*)
//   --system-clock  (as root) the kernel's clock marked synchronised, as
//              chrony leaves it, and C's clock not moved: the rooms keep the
//              system clock (figures rooms_network_system_clock.*)
//   --times    the examination's first settings line (default 5,2,5; for
//              the network's ten minutes, 20,5,24)
#include "click_points.h"
#include "ports.h"
#include "rooms_rig.h"

#include "bench_support.h"

#include <QCoreApplication>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QSettings>
#include <QThread>

#include <algorithm>
#include <cstdio>

#include <sys/timex.h>

namespace at = tavrin::testing::at;

namespace {

using bench::percentile;

const char *prefix = "rooms";

void print(const char *name, double value)
{
    std::printf("%s.%s %.1f ms\n", prefix, name, value);
}

QString statusTopic(const e2e::RoomsRig &rig, const QString &room)
{
    return QStringLiteral("tavrin/%1/rooms/%2/status").arg(rig.exam, room);
}

// When the room first reported state after since, or -1.
double reported(e2e::RoomsRig &rig, const QString &room, const QString &state, double since)
{
    double when = -1;
    rig.log.waitFor(
        [&](const e2e::BrokerLog::Entry &e) {
            const auto s = e2e::shownByRoom(e.payload);
            if (e.topic != statusTopic(rig, room) || !s || s->state != state)
                return false;
            when = e.at;
            return true;
        },
        3000, since);
    return when;
}

// Room B's speaker, 120 ms slower than its sink says: the sink looped into
// a second one, heard there. Set up before B starts.
std::unique_ptr<tavrin::probe::PulseSink> slowSpeaker;
std::unique_ptr<tavrin::probe::Recorder> nearB; // B's sink itself
QString giveSlowSpeaker(e2e::Member &m)
{
    namespace probe = tavrin::probe;
    slowSpeaker = std::make_unique<probe::PulseSink>(QStringLiteral("slow"));
    if (QString e = slowSpeaker->start(); !e.isEmpty())
        return e;
    if (QString e = m.sink->loopInto(*slowSpeaker, 120); !e.isEmpty())
        return e;
    auto far = std::make_unique<probe::Recorder>(slowSpeaker->monitor());
    if (QString e = far->start(); !e.isEmpty())
        return e;
    nearB = std::move(m.recorder);
    m.recorder = std::move(far);
    return {};
}

// B's correction, as the README tells an operator to measure it: the gap
// between the near and the far recording of one sound, with B's program
// connected (the loopback settles some ms below the 120 asked for once the
// sink runs on the program's short period). B starts again to take it.
QString correctSlowSpeaker(e2e::RoomsRig &rig, e2e::Member &m)
{
    namespace probe = tavrin::probe;
    if (!nearB)
        return QStringLiteral("no slow speaker");
    std::vector<double> gaps;
    for (int i = 0; i < 5; ++i) {
        const probe::Clock::time_point asked = probe::Clock::now();
        QProcess::execute(QStringLiteral("paplay"), {QStringLiteral("--device=") + m.sink->name(),
                                                     m.dir.filePath(QStringLiteral("Tavrin-Jihou2.wav"))});
        QThread::msleep(400);
        const auto n = probe::onsetAfter(*nearB, asked, 1500, 0), f = probe::onsetAfter(*m.recorder, asked, 1500, 0);
        if (n && f)
            gaps.push_back(std::chrono::duration<double, std::milli>(*f - *n).count());
    }
    if (gaps.empty())
        return QStringLiteral("the slow speaker heard nothing");
    const int correction = int(std::lround(bench::median(gaps)));
    std::fprintf(stderr, "room %s: speaker %d ms slower than its sink, set as its correction\n",
                 qPrintable(m.name), correction);
    QSettings(m.dir.filePath(QStringLiteral("Tavrin-options.ini")), QSettings::IniFormat)
        .setValue(QStringLiteral("sound/speakerDelayMs"), correction);
    rig.kill(m);
    const double since = e2e::wallSeconds();
    if (QString e = rig.launch(m); !e.isEmpty())
        return e;
    return rig.roomsReport(15000, since) ? QString() : QStringLiteral("B did not report again");
}

// Marks the kernel's clock synchronised with a small error, as chrony does
// once it keeps the clock (only root may); marked back afterwards. Every
// member shares this machine's clock, so it is as right as it says.
struct SynchronisedKernel {
    bool done = false;
    SynchronisedKernel()
    {
        timex t{};
        t.modes = ADJ_STATUS | ADJ_ESTERROR | ADJ_MAXERROR;
        t.status = 0;
        t.esterror = 50; // µs
        t.maxerror = 100;
        done = ::adjtimex(&t) != -1;
    }
    ~SynchronisedKernel()
    {
        timex t{};
        t.modes = ADJ_STATUS;
        t.status = STA_UNSYNC;
        ::adjtimex(&t);
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    e2e::RoomsRig rig;
    const bool sign = app.arguments().contains(QStringLiteral("--signed"));
    if (sign)
        prefix = "rooms_signed";
    if (sign)
        rig.passphrase = QStringLiteral("bench key");
    const bool network = app.arguments().contains(QStringLiteral("--network"));
    QStringList rooms{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")};
    QList<int> offsets{0, 5, 0};
    const bool systemClock = app.arguments().contains(QStringLiteral("--system-clock"));
    std::optional<SynchronisedKernel> synchronised;
    if (systemClock) {
        synchronised.emplace();
        if (!synchronised->done) {
            std::fprintf(stderr, "--system-clock: only root may mark the kernel's clock synchronised\n");
            return 1;
        }
    }
    if (network) {
        prefix = systemClock ? "rooms_network_system_clock" : sign ? "rooms_network_signed" : "rooms_network";
        offsets = {0, 0, 0, 0};
        rooms << QStringLiteral("D");
        rig.useBuilding();
        rig.beforeLaunch = [building = rig.beforeLaunch, systemClock](e2e::Member &m) {
            building(m);
            // A clock chrony keeps is not 2.5 s off.
            if (systemClock)
                m.fakeTime.clear();
            if (m.name == QStringLiteral("B"))
                if (const QString e = giveSlowSpeaker(m); !e.isEmpty())
                    std::fprintf(stderr, "room B's slow speaker: %s\n", qPrintable(e));
        };
    }
    QString times = QStringLiteral("5,2,5");
    if (const qsizetype i = app.arguments().indexOf(QStringLiteral("--times")); i > 0)
        times = app.arguments().value(i + 1);
    const QStringList parts = times.split(u',');
    const int runMs = parts.size() == 3 ? (parts[0].toInt() + parts[1].toInt()) * parts[2].toInt() * 1000 : 60000;
    if (const QString e = rig.start(times, rooms, offsets, {true, true, true, true}); !e.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(e));
        return 1;
    }
    if (network)
        if (const QString e = correctSlowSpeaker(rig, *rig.room(QStringLiteral("B"))); !e.isEmpty())
            std::fprintf(stderr, "room B's slow speaker: %s\n", qPrintable(e));
    QThread::msleep(2500); // the null sinks settle
    e2e::closeNotices();
    e2e::Member &ctl = rig.controller();

    // Eight pauses and resumes during the run: the time each took to reach
    // every room.
    const double begin = e2e::wallSeconds();
    ctl.program->click(at::command1);
    QThread::msleep(3300);
    std::vector<double> reach;
    for (int i = 0; i < 8; ++i) {
        const QString state = i % 2 == 0 ? QStringLiteral("paused") : QStringLiteral("running");
        const double clicked = e2e::wallSeconds();
        ctl.program->click(at::command2);
        double last = 0;
        for (const QString &r : rooms)
            last = std::max(last, reported(rig, r, state, clicked));
        if (last > 0)
            reach.push_back((last - clicked) * 1000);
        QThread::msleep(i % 2 == 0 ? 700 : 2300);
    }

    // A room killed and started again in the middle of the run.
    e2e::Member &a = *rig.room(QStringLiteral("A"));
    rig.kill(a);
    QThread::msleep(1000);
    const double launched = e2e::wallSeconds();
    rig.launch(a);
    double late = -1;
    rig.log.waitFor(
        [&](const e2e::BrokerLog::Entry &e) {
            const auto s = e2e::shownByRoom(e.payload);
            if (e.topic != statusTopic(rig, QStringLiteral("A")) || !s || s->state != QStringLiteral("running"))
                return false;
            // The controller's latest state before this report.
            std::optional<e2e::Shown> c;
            for (const auto &x : rig.log.entries())
                if (x.at <= e.at && x.topic == QStringLiteral("tavrin/%1/state").arg(rig.exam))
                    if (auto shown = e2e::shownByController(x.payload))
                        c = shown;
            if (c != s)
                return false;
            late = (e.at - launched) * 1000;
            return true;
        },
        10000, launched);
    rig.log.waitFor([&](const e2e::BrokerLog::Entry &e) {
        const auto s = e2e::shownByController(e.payload);
        return s && s->state == QStringLiteral("finished");
    }, runMs + 60000, launched);
    QThread::msleep(1500);
    const double end = e2e::wallSeconds();

    // Each cue of the controller and the nearest onset of every room; cues
    // that a room did not play while it was being restarted are left out.
    std::vector<double> spread;
    std::vector<std::vector<double>> heard;
    for (const auto &m : rig.members)
        heard.push_back(rig.onsets(*m));
    // Each room apart, against the controller: a bridged site's room or a
    // relayed path shows by itself, not only in the spread of all.
    std::vector<std::vector<double>> gap(heard.size());
    for (double t : heard.front()) {
        if (t < begin || t > end)
            continue;
        double lo = t;
        double hi = t;
        bool all = true;
        for (std::size_t i = 1; i < heard.size(); ++i) {
            double nearest = 1e9;
            for (double o : heard[i])
                nearest = std::abs(o - t) < std::abs(nearest - t) ? o : nearest;
            if (std::abs(nearest - t) > 0.3) {
                all = false;
                break;
            }
            lo = std::min(lo, nearest);
            hi = std::max(hi, nearest);
            gap[i].push_back((nearest - t) * 1000);
        }
        if (all)
            spread.push_back((hi - lo) * 1000);
    }
    // The record's deviation is the reported start minus the due time: the
    // reported start against what the sink heard is the record's error.
    std::vector<double> proofError;
    std::vector<double> onsetError;
    QMap<QString, std::vector<double>> byMember;
    QThread::msleep(2000); // the last reports come in
    for (const auto &p : rig.proofs()) {
        e2e::Member *m = p.room.isEmpty() ? &ctl : rig.room(p.room);
        if (!m || p.started == 0 || p.due < begin || p.due > end)
            continue;
        double nearest = 1e9;
        for (double o : rig.onsets(*m))
            nearest = std::abs(o - p.started) < std::abs(nearest - p.started) ? o : nearest;
        if (std::abs(nearest - p.started) < 0.2) {
            proofError.push_back((p.started - nearest) * 1000);
            onsetError.push_back((nearest - p.due) * 1000 - tavrin::kCueDelayMs);
            std::fprintf(stderr, "%-10s cue %d due at %6.3f s into the run: reported - heard %5.1f ms, heard - due %5.1f ms\n",
                         qPrintable(m->name), p.player, p.due - begin, proofError.back(), onsetError.back());
            byMember[m->name].push_back(proofError.back());
        }
    }
    for (auto it = byMember.cbegin(); it != byMember.cend(); ++it)
        std::fprintf(stderr, "reported start - heard onset, %-10s median %6.1f ms, min %6.1f, max %6.1f (%zu cues)\n",
                     qPrintable(it.key()), percentile(it.value(), 0.5), percentile(it.value(), 0), percentile(it.value(), 1),
                     it.value().size());
    std::fprintf(stderr, "%zu reported cues matched to what the sinks heard\n", proofError.size());
    std::fprintf(stderr, "%zu cues heard in every room, %zu changes timed\n", spread.size(), reach.size());
    if (network) {
        // Each room's offset as it reported it, against the truth: zero, or
        // for C 2.5 s plus 100 ppm of the time since its program started.
        // The first report with a known offset, the error then and ten
        // seconds later, and the bias over the run's second half.
        const double mid = (begin + end) / 2;
        for (const QString &r : rooms) {
            const e2e::Member &m = *rig.room(r);
            double first = -1;
            std::vector<double> early, second;
            for (const auto &e : rig.log.entries()) {
                if (e.topic != statusTopic(rig, r))
                    continue;
                const QJsonObject o = e2e::json(e.payload);
                if (!o.value(QStringLiteral("offsetKnown")).toBool() || e.at < m.launchedAt)
                    continue;
                if (first < 0) {
                    const QJsonObject k = o.value(QStringLiteral("clock")).toObject();
                    std::fprintf(stderr, "room %s keeps %s (distrust %d)\n", qPrintable(r),
                                 k.value(QStringLiteral("system")).toBool() ? "the system clock" : "the measured clock",
                                 k.value(QStringLiteral("distrust")).toInt());
                }
                const double truth = e2e::buildingClockAheadMs(m, e.at);
                const double error = o.value(QStringLiteral("offset")).toDouble() - truth;
                if (first < 0)
                    first = e.at;
                if (e.at - first < 10)
                    std::fprintf(stderr, "room %s offset error %6.1f ms at %4.1f s after its first estimate\n",
                                 qPrintable(r), error, e.at - first);
                (e.at > mid ? second : early).push_back(error);
            }
            std::printf("%s.offset_bias_%s %.1f ms\n", prefix, qPrintable(r), percentile(second, 0.5));
            std::vector<double> abs;
            for (double x : second)
                abs.push_back(std::abs(x));
            std::printf("%s.offset_abs_max_%s %.1f ms\n", prefix, qPrintable(r), percentile(abs, 1));
            if (m.relay)
                std::fprintf(stderr, "room %s: %lld chunks held by its relay\n", qPrintable(r), m.relay->chunksHeld());
        }
    }
    for (std::size_t i = 1; i < gap.size(); ++i) {
        std::vector<double> abs;
        for (double g : gap[i])
            abs.push_back(std::abs(g));
        const QByteArray name = rig.members[i]->name.toUtf8();
        std::printf("%s.gap_to_controller_%s_median %.1f ms\n", prefix, name.constData(), percentile(gap[i], 0.5));
        std::printf("%s.gap_to_controller_%s_abs_p95 %.1f ms\n", prefix, name.constData(), percentile(abs, 0.95));
        std::printf("%s.gap_to_controller_%s_abs_max %.1f ms\n", prefix, name.constData(), percentile(abs, 1));
    }
    print("cue_spread_median", percentile(spread, 0.5));
    print("cue_spread_p95", percentile(spread, 0.95));
    print("cue_spread_max", percentile(spread, 1));
    print("button_to_rooms_median", percentile(reach, 0.5));
    print("button_to_rooms_max", percentile(reach, 1));
    print("late_room_right_second", late);
    print("proof_minus_heard_median", percentile(proofError, 0.5));
    std::vector<double> absError;
    for (double e : proofError)
        absError.push_back(std::abs(e));
    print("proof_minus_heard_absmax", percentile(absError, 1));
    print("onset_minus_due_median", percentile(onsetError, 0.5));
    for (double &e : onsetError)
        e = std::abs(e);
    print("onset_minus_due_absmax", percentile(onsetError, 1));
    return spread.empty() || reach.empty() || late < 0 ? 1 : 0;
}
