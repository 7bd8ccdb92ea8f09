// The longest stall of the UI thread (the time between two turns of its
// event loop) in the real program during a run, while the operator changes
// the rooms' set-up over and over through the set-up dialog: opened from the
// menu, filled in and confirmed, alternately a controller with its private
// broker and a room whose broker's name does not resolve, under another
// examination's name each time, so that every change derives its key again.
// The program starts from a working folder as a user has it: its settings,
// its cues and an options file with the examination's passphrase in it.
// Every fourth change the audio output is let go as after a sound server
// restart and opened again for the next cue (a sound server is needed for
// that part: the test command's, or the desktop's).
// Target: under 5 ms at the maximum. Figures: ui_stall.max (wall clock),
// .max_cpu (the thread's own CPU time in a turn), .max_not_preempted (the
// longest turn in which it was never preempted: its work, or a wait of its
// own making such as a round trip to the X server), and the open and OK of
// the dialog themselves.

#include "bench_support.h"
#include "mqtt_client.h"
#include "options.h"
#include "rooms_ui.h"
#include "session.h"
#include "setup_dialog.h"
#include "sound_bank.h"
#include "texts.h"
#include "web_options.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>

#include <sys/resource.h>
#include <time.h>

using namespace tavrin;
using namespace tavrin::rooms;

namespace {

constexpr int kChanges = 20;

struct SetUp {
    RoomsOptions rooms;
    PrivateBrokerOptions broker;
};

// Change n: a controller with its own broker (even n) or a room (odd n).
SetUp setUp(int n, int port)
{
    SetUp s;
    s.rooms.exam = QStringLiteral("bench%1").arg(n % 3);
    s.rooms.passphrase = QStringLiteral("bench key");
    s.rooms.broker.port = port;
    if (n % 2 == 0) {
        s.rooms.role = Role::Controller;
        s.rooms.privateBroker = true;
        s.rooms.broker.host = QStringLiteral("127.0.0.1");
        s.broker.rooms = QStringList{QStringLiteral("A")};
    } else {
        s.rooms.role = Role::Room;
        s.rooms.room = QStringLiteral("A");
        // A name that resolves slowly or never: the lookup must not be ours.
        s.rooms.broker.host = QStringLiteral("tavrin-bench.invalid");
    }
    return s;
}

bool writeFolder(const QString &dir, const SetUp &first)
{
    QFile cfg(QDir(dir).filePath(QStringLiteral("Tavrin.cfg")));
    if (!cfg.open(QIODevice::WriteOnly) ||
        cfg.write("5,2,40\r\nTavrin-Jihou1.wav\r\nTavrin-Jihou2.wav\r\nTavrin-Jihou3.wav\r\nmove\r\nend\r\n10\r\n0\r\n") < 0)
        return false;
    const QDir cues(QStringLiteral(TAVRIN_CUE_DIR));
    for (const QString &name : cues.entryList({QStringLiteral("*.wav")}, QDir::Files))
        QFile::copy(cues.filePath(name), QDir(dir).filePath(name));
    const QString options = QDir(dir).filePath(QLatin1String(texts::optionsFile));
    web::WebOptions page;
    return saveOptions(options, first.rooms, first.broker).isEmpty() && web::saveOptions(options, page).isEmpty();
}

// The times this thread was preempted, so far.
long preemptions()
{
    rusage r{};
    getrusage(RUSAGE_THREAD, &r);
    return r.ru_nivcsw;
}

double threadMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QTemporaryDir folder;
    const int port = bench::freePort();
    if (!folder.isValid() || !writeFolder(folder.path(), setUp(0, port)) || !QDir::setCurrent(folder.path()))
        return std::fprintf(stderr, "bench_ui_stall: cannot prepare the working folder\n"), 1;

    QCommandLineParser parser;
    tavrin::addCommandLineOptions(parser);
    const bool parsed = parser.parse({QCoreApplication::applicationFilePath()});
    Session session(tavrin::sessionOptions(parser, parsed));
    SoundBank &bank = session.players();

    // Millions of turns: a histogram in microseconds, so that the probe
    // itself never stalls on a growing vector's copy.
    std::vector<quint32> gaps(100'001, 0);
    quint64 turns = 0;
    double longest = 0;
    // On two cores the other threads and the broker preempt a busy UI
    // thread now and then: the CPU time the thread itself spent between two
    // turns is the part that is the program's own work.
    // A turn in which it was never preempted, however long, is the
    // program's own: its work, or a wait of its own making.
    double cpuAt = 0, longestCpu = 0, longestOwn = 0;
    long preemptedAt = 0;
    bool measuring = false;
    QElapsedTimer turn;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (!measuring)
            return;
        const double ms = turn.nsecsElapsed() / 1e6;
        turn.restart();
        ++gaps[std::min<size_t>(size_t(ms * 1000), gaps.size() - 1)], ++turns;
        longest = std::max(longest, ms);
        const double cpu = threadMs();
        longestCpu = std::max(longestCpu, cpu - cpuAt);
        cpuAt = cpu;
        const long preempted = preemptions();
        if (preempted == preemptedAt)
            longestOwn = std::max(longestOwn, ms);
        preemptedAt = preempted;
    });
    int opened = 0;
    QObject::connect(&probe, &QTimer::timeout, [&, was = false]() mutable {
        if (bank.outputOpen() && !was)
            ++opened;
        was = bank.outputOpen();
    });

    QAction *setupAction = nullptr;
    for (QAction *a : session.form().actions())
        if (a->text() == texts::str(texts::roomsSetupAction))
            setupAction = a;
    if (!setupAction)
        return std::fprintf(stderr, "bench_ui_stall: no set-up entry in the menu\n"), 1;

    int changes = 0;
    std::vector<double> opening, confirming;
    QTimer change;
    QObject::connect(&change, &QTimer::timeout, [&] {
        QElapsedTimer part;
        part.start();
        setupAction->trigger();
        opening.push_back(part.nsecsElapsed() / 1e6);
        auto *dialog = session.form().findChild<SetupDialog *>();
        if (!dialog) {
            std::fprintf(stderr, "bench_ui_stall: the set-up dialog did not open\n");
            QCoreApplication::exit(1);
            return;
        }
        const SetUp next = setUp(changes + 1, port);
        dialog->setOptions(next.rooms, next.broker);
        part.restart();
        dialog->accept(); // OK: saved, all down, all up again
        confirming.push_back(part.nsecsElapsed() / 1e6);
        dialog->close();
        // The output is let go (it closes a quarter second after its last
        // sound), and the run's next step asks for it again.
        if (changes % 4 == 0)
            bank.setOutputWanted(false);
        if (++changes == kChanges) {
            change.stop();
            // As the end signals end it: quit() would ask the window to close,
            // and a window in a run asks the operator first.
            QTimer::singleShot(600, &app, [] { QCoreApplication::exit(0); });
        }
    });

    // Once the window has shown itself.
    QTimer::singleShot(500, &app, [&] {
        session.engine().Command1_Click(); // a run under way
        measuring = true;
        turn.start();
        cpuAt = threadMs();
        preemptedAt = preemptions();
        probe.start(0);
        change.start(250);
    });
    const int status = session.run();
    MqttClient::waitForStopped(5000);
    if (status != 0 || changes != kChanges)
        return 1;

    bench::figure("ui_stall.changes", changes, "");
    double median = 0;
    quint64 seen = 0;
    for (size_t us = 0; us < gaps.size(); ++us)
        if ((seen += gaps[us]) * 2 >= turns) {
            median = double(us) / 1000.0;
            break;
        }
    bench::figure("ui_stall.turns", double(turns), "");
    bench::figure("ui_stall.median", median, "ms");
    bench::figure("ui_stall.max", longest, "ms");
    bench::figure("ui_stall.max_cpu", longestCpu, "ms");
    bench::figure("ui_stall.max_not_preempted", longestOwn, "ms");
    bench::figure("ui_stall.dialog_open_max", bench::maximum(opening), "ms");
    bench::figure("ui_stall.setup_ok_max", bench::maximum(confirming), "ms");
    bench::figure("ui_stall.output_opened", double(opened), "");
    return 0;
}
