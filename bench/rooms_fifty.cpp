// Fifty rooms on one broker: the program's own private broker (locked down,
// on loopback), the real program as their controller in this process, set up
// with its options file as a user would, and fifty rooms in a second process,
// each room the rooms library on an engine without window or sound (fifty
// windows and sound banks would measure the desktop instead), every message
// signed. The controller's pause button is pressed twenty times (pause,
// resume, ...) a second and a half apart.
//   rooms50.button_to_last_room_{median,max}  ms, the press until the last
//                                             room's engine has taken it
//   rooms50.controller_cpu_share               %, of one core, over the presses
//   rooms50.rooms_cpu_share, broker_cpu_share  %, the rooms' process, the broker
// Usage: bench_rooms_fifty [--unsigned] [ROOMS]   (the MAC left off: to compare;
//        the controller then has no passphrase, and the broker is started here)
// BENCH_DEBUG=1 says on stderr what the rooms refuse while they wait.
#include "bench_support.h"
#include "engine.h"
#include "members.h"
#include "mqtt_client.h"
#include "options.h"
#include "phase_timer.h"
#include "private_broker.h"
#include "rooms_ui.h"
#include "session.h"
#include "identity.h"
#include "silent_ports.h"
#include "texts.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <memory>

using namespace tavrin;
using namespace tavrin::rooms;

namespace {

const QString kExam = QStringLiteral("bench50");
const QString kPassphrase = QStringLiteral("fifty rooms");
constexpr int kPresses = 20;

qint64 wallUs()
{
    timespec t{};
    clock_gettime(CLOCK_REALTIME, &t);
    return qint64(t.tv_sec) * 1'000'000 + t.tv_nsec / 1000;
}

double cpuSeconds(pid_t pid) // utime + stime of a process, from /proc
{
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray s = f.readAll();
    const QList<QByteArray> fields = s.mid(s.lastIndexOf(')') + 2).split(' ');
    return fields.size() > 12 ? (fields[11].toDouble() + fields[12].toDouble()) / double(sysconf(_SC_CLK_TCK)) : 0;
}

QString roomName(int i)
{
    return QStringLiteral("R%1").arg(i, 2, 10, QLatin1Char('0'));
}

BrokerSettings login(int port, const QString &user)
{
    BrokerSettings b;
    b.host = QStringLiteral("127.0.0.1");
    b.port = port;
    b.user = user;
    b.password = brokerPassword(kPassphrase, kExam, user);
    return b;
}

// The window's timer is the engine's clock, and its boxes keep what is put
// in them, as in the real window.
class ClockedWindow : public SilentWindow {
public:
    explicit ClockedWindow(PhaseTimer &timer) : timer_(timer) {}
    void setTimerInterval(int ms) override { timer_.setInterval(ms); }
    QString text(TextBox b) const override { return texts_[int(b)]; }
    void setText(TextBox b, const QString &t) override { texts_[int(b)] = t; }
    int comboIndex() const override { return combo_; }
    void setComboIndex(int i) override { combo_ = i; }

private:
    PhaseTimer &timer_;
    QString texts_[8];
    int combo_ = 0;
};

// Settings of a long examination (30 + 5 s, 40 questions); no sound files.
bool writeSettings(const QString &dir)
{
    QFile f(QDir(dir).filePath(QStringLiteral("Tavrin.cfg")));
    return f.open(QIODevice::WriteOnly) &&
           f.write("30,5,40\r\nTavrin-Jihou1.wav\r\nTavrin-Jihou2.wav\r\nTavrin-Jihou3.wav\r\nmove\r\nend\r\n10\r\n0\r\n") > 0;
}

// An engine without window or sound, on its own clock.
struct Seat : RunObserver {
    PhaseTimer timer;
    ClockedWindow window{timer};
    SilentPlayers players;
    Engine engine{window, players};
    std::function<void(RunEventKind)> onEvent;
    Seat()
    {
        QObject::connect(&timer, &PhaseTimer::timeout, [this] { engine.Timer1_Timer(); });
        engine.addObserver(this);
        static QTemporaryDir folder;
        static const bool written = writeSettings(folder.path());
        if (written)
            engine.Form_Load(folder.path(), folder.path());
    }
    void runEvent(const RunEvent &e, const ExamState &) override
    {
        if (onEvent)
            onEvent(e.kind);
    }
};

// The rooms' process: says "ready" once every room follows the controller,
// its clock offset to it known (the controller now starts with the rooms,
// not long before them), then one line per start, pause or resume taken.
int runRooms(int port, int count, bool sign)
{
    const QByteArray key = sign ? SigningKey::fromPassphrase(kPassphrase, kExam, kStopGapCost).publicKey() : QByteArray();
    std::vector<std::unique_ptr<Seat>> seats;
    std::vector<std::unique_ptr<Room>> members;
    for (int i = 0; i < count; ++i) {
        auto seat = std::make_unique<Seat>();
        MemberSeams seams;
        seams.examPublicKey = key;
        if (sign)
            seams.roomKey = SigningKey::generate();
        auto room = std::make_unique<Room>(kExam, roomName(i), login(port, roomName(i)), seat->engine, seat->window,
                                           seat->timer, [](int) { return CueSource::OwnFile; }, std::move(seams));
        seat->engine.addObserver(room.get());
        if (qEnvironmentVariableIsSet("BENCH_DEBUG"))
            QObject::connect(room.get(), &Member::note, [](const QString &t) { std::fprintf(stderr, "%s\n", qPrintable(t)); });
        seat->onEvent = [i](RunEventKind k) {
            if (qEnvironmentVariableIsSet("BENCH_DEBUG") && k != RunEventKind::TickHandled)
                std::fprintf(stderr, "room %d event %d\n", i, int(k));
            if (k == RunEventKind::Start || k == RunEventKind::Pause || k == RunEventKind::Resume)
                std::printf("E %d %d %lld\n", i, int(k), static_cast<long long>(wallUs())), std::fflush(stdout);
        };
        if (const QString e = room->start(); !e.isEmpty())
            return std::fprintf(stderr, "room %d: %s\n", i, qPrintable(e)), 1;
        seats.push_back(std::move(seat));
        members.push_back(std::move(room));
    }
    QTimer ready;
    QObject::connect(&ready, &QTimer::timeout, [&] {
        for (const auto &r : members)
            if (!r->connected() || !r->offset() || !r->following()) {
                if (qEnvironmentVariableIsSet("BENCH_DEBUG"))
                    std::fprintf(stderr, "%s: connected %d following %d offset %d\n", qPrintable(r->name()),
                                 r->connected(), r->following(), bool(r->offset()));
                return;
            }
        std::printf("ready\n"), std::fflush(stdout);
        ready.stop();
    });
    ready.start(100);
    QTimer debug;
    QObject::connect(&debug, &QTimer::timeout, [&] {
        if (qEnvironmentVariableIsSet("BENCH_DEBUG"))
            std::fprintf(stderr, "room 0: refused %lld following %d followed %s\n", members[0]->refusals().total(),
                         members[0]->following(), qPrintable(members[0]->followed()));
    });
    debug.start(2000);
    QTimer eof; // ends with the controller's process
    QObject::connect(&eof, &QTimer::timeout, [&] { if (getppid() == 1) QCoreApplication::quit(); });
    eof.start(500);
    return QCoreApplication::exec();
}

} // namespace

int main(int argc, char **argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const bool sign = !args.removeAll(QStringLiteral("--unsigned"));
    if (args.value(0) == QLatin1String("rooms")) {
        QCoreApplication app(argc, argv);
        return runRooms(args.value(1).toInt(), args.value(2).toInt(), sign);
    }
    QApplication app(argc, argv);
    const int count = args.isEmpty() ? 50 : args.value(0).toInt();

    // The controller's working folder, as the set-up dialog leaves it.
    RoomsOptions own;
    own.role = Role::Controller;
    own.exam = kExam;
    own.broker.host = QStringLiteral("127.0.0.1");
    own.broker.port = bench::freePort();
    PrivateBrokerOptions brokerOptions;
    PrivateBrokerSetup setup;
    setup.port = own.broker.port;
    setup.exam = kExam;
    setup.passphrase = kPassphrase;
    for (int i = 0; i < count; ++i)
        setup.rooms << roomName(i);
    brokerOptions.rooms = setup.rooms;
    if (sign) {
        own.privateBroker = true;
        own.passphrase = kPassphrase;
    } else {
        // Without a passphrase nothing is signed: the broker is ours to start,
        // and the controller logs in as the set-up dialog lets one enter it.
        const BrokerSettings l = login(own.broker.port, QString::fromLatin1(kControllerUser));
        own.broker.user = l.user;
        own.broker.password = l.password;
    }
    QTemporaryDir folder;
    const QString optionsFile = folder.filePath(QLatin1String(texts::optionsFile));
    if (!folder.isValid() || !writeSettings(folder.path()) || !saveOptions(optionsFile, own, brokerOptions).isEmpty() ||
        !QDir::setCurrent(folder.path()))
        return std::fprintf(stderr, "cannot prepare the controller's folder\n"), 1;
    PrivateBroker ownBroker;
    if (!sign)
        if (const QString e = ownBroker.start(setup); !e.isEmpty())
            return std::fprintf(stderr, "broker: %s\n", qPrintable(e)), 1;

    QCommandLineParser parser;
    tavrin::addCommandLineOptions(parser);
    const bool parsed = parser.parse({QCoreApplication::applicationFilePath()});
    Session session(tavrin::sessionOptions(parser, parsed));
    Engine &engine = session.engine();
    const auto brokerPid = [&] { return pid_t(sign ? session.rooms().brokerProcessId() : ownBroker.processId()); };
    const auto leading = [&] { return session.rooms().controller() && session.rooms().controller()->leading(); };

    QProcess roomsProcess;
    roomsProcess.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QStringList roomArgs{QStringLiteral("rooms"), QString::number(setup.port), QString::number(count)};
    if (!sign)
        roomArgs << QStringLiteral("--unsigned");
    roomsProcess.start(QCoreApplication::applicationFilePath(), roomArgs);
    std::vector<qint64> pressedUs;
    std::vector<std::vector<qint64>> taken(kPresses + 1); // by press; 0 the start
    std::vector<int> eventsOf(count, 0);
    double cpu0 = 0, rooms0 = 0, broker0 = 0;
    qint64 wall0 = 0;
    QTimer press;
    QObject::connect(&press, &QTimer::timeout, [&] {
        if (int(pressedUs.size()) == kPresses + 1) {
            press.stop();
            // Not quit(): that asks the window to close, and a window in a
            // run asks the operator first.
            QTimer::singleShot(1500, &app, [] { QCoreApplication::exit(0); });
            return;
        }
        if (pressedUs.size() == 1) {
            rusage r{};
            getrusage(RUSAGE_SELF, &r);
            cpu0 = double(r.ru_utime.tv_sec + r.ru_stime.tv_sec) + (r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
            rooms0 = cpuSeconds(pid_t(roomsProcess.processId()));
            broker0 = cpuSeconds(brokerPid());
            wall0 = wallUs();
        }
        pressedUs.push_back(wallUs());
        if (pressedUs.size() == 1)
            engine.Command1_Click(); // the start
        else
            engine.Command2_Click(); // pause, resume, ...
    });
    // The presses begin once every room is ready and the controller leads.
    bool roomsReady = false;
    QTimer go;
    QObject::connect(&go, &QTimer::timeout, [&] {
        if (roomsReady && leading()) {
            go.stop();
            press.start(1500);
        }
    });
    go.start(100);
    QObject::connect(&roomsProcess, &QProcess::readyReadStandardOutput, [&] {
        while (roomsProcess.canReadLine()) {
            const QList<QByteArray> f = roomsProcess.readLine().trimmed().split(' ');
            if (f.value(0) == "ready") {
                roomsReady = true;
            } else if (f.value(0) == "E" && f.size() == 4) {
                const int room = f[1].toInt();
                const int n = room >= 0 && room < count ? eventsOf[room]++ : kPresses + 1;
                if (n <= kPresses && n < int(pressedUs.size()))
                    taken[std::size_t(n)].push_back(f[3].toLongLong() - pressedUs[std::size_t(n)]);
            }
        }
    });
    QTimer::singleShot(qEnvironmentVariableIntValue("BENCH_WAIT_MS") > 0 ? qEnvironmentVariableIntValue("BENCH_WAIT_MS") : 120000, &app, [] {
        std::fprintf(stderr, "the rooms were not ready within two minutes\n");
        QCoreApplication::exit(1);
    });
    const int rc = session.run();
    rusage r{};
    getrusage(RUSAGE_SELF, &r);
    const double cpu = double(r.ru_utime.tv_sec + r.ru_stime.tv_sec) + (r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
    const double wall = double(wallUs() - wall0) / 1e6;
    const double roomsCpu = cpuSeconds(pid_t(roomsProcess.processId())) - rooms0;
    const double brokerCpu = cpuSeconds(brokerPid()) - broker0;
    roomsProcess.kill();
    roomsProcess.waitForFinished(3000);
    if (rc != 0)
        return rc;

    std::vector<double> lastRoom;
    int missing = 0;
    for (int n = 1; n <= kPresses; ++n) {
        missing += count - int(taken[std::size_t(n)].size());
        if (!taken[std::size_t(n)].empty())
            lastRoom.push_back(double(*std::max_element(taken[std::size_t(n)].begin(), taken[std::size_t(n)].end())) / 1000);
    }
    const char *tag = sign ? "rooms50" : "rooms50_unsigned";
    auto figure = [&](const char *name, double v, const char *unit) {
        std::printf("%s.%s %.1f %s\n", tag, name, v, unit);
    };
    figure("rooms", count, "");
    figure("presses", double(lastRoom.size()), "");
    figure("presses_missed_by_a_room", missing, "");
    figure("button_to_last_room_median", bench::median(lastRoom), "ms");
    figure("button_to_last_room_max", bench::maximum(lastRoom), "ms");
    figure("controller_cpu_share", 100 * (cpu - cpu0) / wall, "%");
    figure("rooms_cpu_share", 100 * roomsCpu / wall, "%");
    figure("broker_cpu_share", 100 * brokerCpu / wall, "%");
    MqttClient::waitForStopped(3000);
    return missing == 0 ? 0 : 1;
}
