#include "e2e_support.h"

#include "process.h"
#include "sound_probe.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStringEncoder>
#include <QDateTime>
#include <QThread>
#include <cmath>
#include <pwd.h>
#include <unistd.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace e2e {

QByteArray run(const QString &program, const QStringList &args, int timeoutMs, int *exitCode)
{
    const tavrin::testing::ToolRun r = tavrin::testing::runTool(program, args, timeoutMs);
    if (exitCode)
        *exitCode = r.exitCode;
    return r.out;
}

QString missingDisplay()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return QStringLiteral("no X display (DISPLAY is not set; scripts/test.sh starts Xvfb)");
    int code = 0;
    run(QStringLiteral("xdpyinfo"), {}, 5000, &code);
    if (code != 0)
        return QStringLiteral("the X display does not answer");
    return {};
}

QString missingSound()
{
    int code = 0;
    run(QStringLiteral("pactl"), {QStringLiteral("info")}, 5000, &code);
    if (code != 0)
        return QStringLiteral("no PulseAudio server (scripts/test.sh starts one with a null sink)");
    return {};
}

Program::Program(const QString &workDir) : workDir_(workDir) {}

Program::~Program()
{
    if (proc_.state() != QProcess::NotRunning) {
        proc_.kill();
        proc_.waitForFinished(3000);
    }
}

bool Program::launch()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    // Without a sound server the program would rightly put a notice over the
    // grid; a silent output keeps the picture checks meaningful by hand.
    if (!missingSound().isEmpty())
        env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
    env.insert(env_);
    proc_.setProcessEnvironment(env);
    proc_.setWorkingDirectory(workDir_);
    proc_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    if (!errorFile_.isEmpty())
        proc_.setStandardErrorFile(errorFile_);
    if (wrapper_.isEmpty())
        proc_.start(QStringLiteral(TAVRIN_BIN), args_);
    else
        proc_.start(wrapper_.first(), wrapper_.mid(1) + QStringList{QStringLiteral(TAVRIN_BIN)} + args_);
    return proc_.waitForStarted(5000);
}

bool Program::start()
{
    return launch() && !waitForWindow(QStringLiteral("Tavrin ver")).isEmpty() && waitForPaint();
}

// Before its first paint a window shows only its background, one colour.
static bool painted(const QImage &img)
{
    const QRgb first = img.pixel(0, 0);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) != first)
                return true;
    return false;
}

bool Program::waitForPaint(int timeoutMs) const
{
    return waitFor(painted, timeoutMs);
}

QString Program::waitForWindow(const QString &name, int timeoutMs)
{
    const QString pid = QString::number(proc_.processId());
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs && running()) {
        const QString ids = QString::fromUtf8(
            run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--all"),
                                            QStringLiteral("--onlyvisible"), QStringLiteral("--pid"), pid, QStringLiteral("--name"), name}));
        const QStringList list = ids.split(u'\n', Qt::SkipEmptyParts);
        if (!list.isEmpty()) {
            if (name == QLatin1String("Tavrin ver"))
                windowId_ = list.first();
            return list.first();
        }
        QThread::msleep(20);
    }
    return {};
}

// Through the focus, not "key --window": a key that closes its window
// would have its release sent to a window that is gone, and the server
// would then repeat the key into whatever has the focus next.
static void keyToId(const QString &window, const QString &keysym)
{
    run(QStringLiteral("xdotool"),
        {QStringLiteral("windowfocus"), QStringLiteral("--sync"), window, QStringLiteral("key"), keysym});
}

void Program::keyTo(const QString &window, const QString &keysym) const
{
    keyToId(window, keysym);
}

void Program::moveTo(int x, int y) const
{
    run(QStringLiteral("xdotool"), {QStringLiteral("windowmove"), QStringLiteral("--sync"), windowId_,
                                    QString::number(x), QString::number(y)});
}

void Program::place(int x, int y, int width, int height) const
{
    run(QStringLiteral("xdotool"), {QStringLiteral("windowmove"), windowId_, QString::number(x), QString::number(y),
                                    QStringLiteral("windowsize"), windowId_, QString::number(width),
                                    QString::number(height)});
    // Placed once the picture has the new size and two shots in a row agree:
    // the repaint after the resize is over.
    QImage last;
    waitFor(
        [&](const QImage &img) {
            const bool settled = img.size() == QSize(width, height) && painted(img) && img == last;
            last = img;
            return settled;
        },
        3000);
}

QString Program::caption() const
{
    return QString::fromUtf8(run(QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), windowId_})).trimmed();
}

QImage Program::shot() const
{
    const QByteArray png = run(QStringLiteral("import"), {QStringLiteral("-window"), windowId_, QStringLiteral("png:-")});
    return QImage::fromData(png, "PNG");
}

void Program::click(int x, int y) const
{
    run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QStringLiteral("--window"), windowId_,
                                    QString::number(x), QString::number(y), QStringLiteral("click"),
                                    QStringLiteral("1")});
}

void Program::key(const QString &keysym) const
{
    run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("--window"), windowId_, keysym});
}

void Program::type(const QString &text) const
{
    run(QStringLiteral("xdotool"), {QStringLiteral("type"), QStringLiteral("--window"), windowId_, text});
}

void Program::press(const QString &keysym) const
{
    run(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), QStringLiteral("--sync"), windowId_});
    run(QStringLiteral("xdotool"), {QStringLiteral("key"), keysym});
}

bool Program::waitForExit(int timeoutMs)
{
    return proc_.state() == QProcess::NotRunning || proc_.waitForFinished(timeoutMs);
}

bool Program::running() const
{
    return proc_.state() != QProcess::NotRunning;
}

bool Program::waitFor(const std::function<bool(const QImage &)> &pred, int timeoutMs) const
{
    QElapsedTimer clock;
    clock.start();
    do {
        const QImage img = shot();
        if (!img.isNull() && pred(img))
            return true;
        QThread::msleep(50);
    } while (clock.elapsed() < timeoutMs);
    return false;
}

Xvfb::Xvfb(const QStringList &screens) : oldDisplay_(qgetenv("DISPLAY"))
{
    // -displayfd: the server takes the first free number and writes it out,
    // so that tests running side by side never meet on one display.
    QStringList args{QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                     QStringLiteral("tcp"), QStringLiteral("-noreset"), QStringLiteral("-wr")};
    for (int i = 0; i < screens.size(); ++i)
        args << QStringLiteral("-screen") << QString::number(i) << screens[i] + QStringLiteral("x24");
    proc_.setProcessChannelMode(QProcess::SeparateChannels);
    proc_.start(QStringLiteral("Xvfb"), args);
    QElapsedTimer clock;
    clock.start();
    QByteArray out;
    while (!out.contains('\n') && clock.elapsed() < 10000 && proc_.state() != QProcess::NotRunning) {
        proc_.waitForReadyRead(200);
        out += proc_.readAllStandardOutput();
    }
    if (!out.contains('\n')) {
        error_ = QStringLiteral("Xvfb did not start: ") + QString::fromLocal8Bit(proc_.readAllStandardError());
        return;
    }
    display_ = u':' + QString::fromLatin1(out.trimmed());
    qputenv("DISPLAY", display_.toLatin1());
}

Xvfb::~Xvfb()
{
    if (proc_.state() != QProcess::NotRunning) {
        proc_.terminate();
        if (!proc_.waitForFinished(3000))
            proc_.kill();
        proc_.waitForFinished(1000);
    }
    qputenv("DISPLAY", oldDisplay_);
}

QImage Xvfb::screenShot(int n) const
{
    const QByteArray png = run(QStringLiteral("import"), {QStringLiteral("-display"), display_ + u'.' + QString::number(n),
                                                          QStringLiteral("-window"), QStringLiteral("root"),
                                                          QStringLiteral("png:-")});
    return QImage::fromData(png, "PNG");
}

QString sinkMonitor()
{
    QString sink = qEnvironmentVariable("PULSE_SINK");
    if (sink.isEmpty())
        sink = QString::fromUtf8(run(QStringLiteral("pactl"), {QStringLiteral("get-default-sink")})).trimmed();
    return sink + QStringLiteral(".monitor");
}

std::vector<Burst> bursts(const std::vector<qint16> &samples, double minGap)
{
    constexpr int threshold = 328; // 1 % of full scale
    std::vector<Burst> out;
    const auto gap = static_cast<std::size_t>(minGap * tavrin::probe::rate);
    for (const tavrin::probe::Span &s : tavrin::probe::sounds(samples, gap, threshold)) {
        Burst b{double(s.begin) / tavrin::probe::rate, double(s.length()) / tavrin::probe::rate, 0};
        for (std::size_t i = s.begin; i < s.end; ++i)
            b.peak = std::max(b.peak, std::abs(int(samples[i])) / 32768.0);
        out.push_back(b);
    }
    return out;
}

void writeSettings(const QString &dir, const QStringList &lines)
{
    QFile f(QDir(dir).filePath(QStringLiteral("Tavrin.cfg")));
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    QStringEncoder sjis("windows-31j");
    for (const QString &l : lines) {
        f.write(sjis.encode(l));
        f.write("\r\n");
    }
}

void copyCues(const QString &dir)
{
    const QDir cues(QStringLiteral(TAVRIN_CUES_DIR));
    for (const QString &name : cues.entryList({QStringLiteral("*.wav")}, QDir::Files))
        QFile::copy(cues.filePath(name), QDir(dir).filePath(name));
}

bool near(const QColor &a, const QColor &b, int tolerance)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

QImage screen()
{
    return QImage::fromData(run(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"),
                                                           QStringLiteral("png:-")}),
                            "PNG");
}

static QStringList windowsNamed(const QString &title)
{
    const QString ids = QString::fromUtf8(run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                                                            QStringLiteral("--name"), title}));
    return ids.split(u'\n', Qt::SkipEmptyParts);
}

void closeNotices()
{
    for (const QString &id : windowsNamed(QStringLiteral("^Tavrin$")))
        keyToId(id, QStringLiteral("Escape"));
}

bool keyToWindow(const QString &title, const QString &keysym)
{
    const QStringList ids = windowsNamed(QStringLiteral("^") + title + QStringLiteral("$"));
    for (const QString &id : ids)
        keyToId(id, keysym);
    return !ids.isEmpty();
}

double wallSeconds()
{
    return QDateTime::currentMSecsSinceEpoch() / 1000.0;
}

// ---- Broker -----------------------------------------------------------------

int freeLoopbackPort()
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof a;
    int port = 0;
    if (bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr *>(&a), &length) == 0)
        port = ntohs(a.sin_port);
    close(fd);
    return port;
}

Broker::Broker()
{
    proc_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

Broker::~Broker()
{
    stop();
}

QString Broker::start()
{
    if (port_ == 0)
        port_ = freeLoopbackPort();
    const QString conf = dir_.filePath(QStringLiteral("mosquitto.conf"));
    QFile f(conf);
    if (!f.open(QIODevice::WriteOnly))
        return QStringLiteral("cannot write %1").arg(conf);
    f.write(QStringLiteral("listener %1 127.0.0.1\npersistence false\nlog_dest none\nset_tcp_nodelay true\n").arg(port_).toUtf8() +
            (locked_.isEmpty() ? QByteArray("allow_anonymous true\n") : locked_) +
            (bridge_ == 0 ? QByteArray()
                          : "connection site\naddress 127.0.0.1:" + QByteArray::number(bridge_) +
                                "\nbridge_protocol_version mqttv50\ntopic tavrin/# both 1\n"));
    f.close();
    proc_.start(QStringLiteral("mosquitto"), {QStringLiteral("-c"), conf});
    if (!proc_.waitForStarted(3000))
        return QStringLiteral("cannot start mosquitto (Debian: mosquitto): %1").arg(proc_.errorString());
    // Up once it takes a connection.
    for (int i = 0; i < 50; ++i) {
        const int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(static_cast<uint16_t>(port_));
        const bool up = ::connect(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0;
        close(fd);
        if (up)
            return {};
        if (proc_.state() == QProcess::NotRunning)
            return QStringLiteral("mosquitto ended at once on port %1").arg(port_);
        QThread::msleep(50);
    }
    return QStringLiteral("mosquitto does not listen on port %1").arg(port_);
}

void Broker::lockDown(const QByteArray &passwords, const QByteArray &acl, const QString &logUser,
                      const QString &logPassword)
{
    for (const auto &[name, data] : {std::pair{"passwords", passwords}, std::pair{"acl", acl}}) {
        QFile f(dir_.filePath(QLatin1String(name)));
        f.open(QIODevice::WriteOnly);
        f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        f.write(data);
    }
    // Started as root, mosquitto would become "mosquitto", who may not read
    // these files: it stays who we are.
    const passwd *me = getpwuid(geteuid());
    locked_ = (me ? "user " + QByteArray(me->pw_name) + '\n' : QByteArray()) + "allow_anonymous false\npassword_file " + QFile::encodeName(dir_.filePath(u"passwords"_qs)) +
              "\nacl_file " + QFile::encodeName(dir_.filePath(u"acl"_qs)) + '\n';
    logLogin_ = {QStringLiteral("-u"), logUser, QStringLiteral("-P"), logPassword};
}

void Broker::stop()
{
    if (proc_.state() == QProcess::NotRunning)
        return;
    proc_.terminate();
    if (!proc_.waitForFinished(3000))
        proc_.kill();
    proc_.waitForFinished(1000);
}

// ---- BrokerLog --------------------------------------------------------------

BrokerLog::~BrokerLog()
{
    if (proc_.state() != QProcess::NotRunning) {
        proc_.kill();
        proc_.waitForFinished(1000);
    }
}

QString BrokerLog::start(const Broker &broker, const QString &filter)
{
    if (proc_.state() != QProcess::NotRunning) {
        proc_.kill();
        proc_.waitForFinished(1000);
    }
    // -d tells when the subscription stands; stdbuf, so that it comes at once.
    partial_.clear();
    subscribed_ = false;
    proc_.start(QStringLiteral("stdbuf"),
                QStringList{QStringLiteral("-oL"), QStringLiteral("mosquitto_sub"), QStringLiteral("-d"), QStringLiteral("-h"),
                 QStringLiteral("127.0.0.1"), QStringLiteral("-p"), QString::number(broker.port()),
                 QStringLiteral("-t"), filter, QStringLiteral("-F"), QStringLiteral("%U|%r|%t|%p")} +
                    broker.logLogin());
    if (!proc_.waitForStarted(3000))
        return QStringLiteral("cannot start mosquitto_sub (Debian: mosquitto-clients)");
    QElapsedTimer clock;
    clock.start();
    while (!subscribed_ && clock.elapsed() < 10000 && proc_.state() != QProcess::NotRunning) {
        proc_.waitForReadyRead(50);
        read();
    }
    if (!subscribed_)
        return QStringLiteral("mosquitto_sub did not subscribe to %1 on port %2").arg(filter).arg(broker.port());
    return {};
}

void BrokerLog::read()
{
    if (proc_.state() != QProcess::NotRunning)
        proc_.waitForReadyRead(0);
    partial_ += proc_.readAllStandardOutput();
    qsizetype end = 0;
    while ((end = partial_.indexOf('\n')) >= 0) {
        const QByteArray line = partial_.left(end);
        partial_.remove(0, end + 1);
        if (line.startsWith("Subscribed (mid:"))
            subscribed_ = true;
        if (line.startsWith("Client ") || line.startsWith("Subscribed "))
            continue; // what -d tells
        const QList<QByteArray> f = line.split('|');
        if (f.size() < 4 || f[1] != "0")
            continue;
        entries_.push_back({f[0].toDouble(), QString::fromUtf8(f[2]), line.mid(f[0].size() + f[1].size() + f[2].size() + 3)});
    }
}

const std::vector<BrokerLog::Entry> &BrokerLog::entries()
{
    read();
    return entries_;
}

bool BrokerLog::waitFor(const std::function<bool(const Entry &)> &pred, int timeoutMs, double since)
{
    QElapsedTimer clock;
    clock.start();
    std::size_t checked = 0;
    do {
        read();
        for (; checked < entries_.size(); ++checked)
            if (entries_[checked].at >= since && pred(entries_[checked]))
                return true;
        QThread::msleep(20);
    } while (clock.elapsed() < timeoutMs);
    return false;
}

} // namespace e2e
