#include "sound_probe.h"

#include "process.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace tavrin::probe {

namespace {

struct Run {
    bool ok = false;
    QString out;
    QString err;
};

Run run(const QString &program, const QStringList &args, int timeoutMs = 5000)
{
    const testing::ToolRun r = testing::runTool(program, args, timeoutMs);
    return {r.ok, QString::fromLocal8Bit(r.out), r.err};
}

QString script(const char *name)
{
    return QStringLiteral(TAVRIN_SOURCE_DIR "/scripts/") + QLatin1String(name);
}

} // namespace

// ---- PulseSink --------------------------------------------------------------

PulseSink::~PulseSink()
{
    stop();
}

QString PulseSink::start()
{
    Run info = run(QStringLiteral("pactl"), {QStringLiteral("info")});
    if (!info.ok) {
        const QString firstTry = info.err;
        const Run started = run(QStringLiteral("sh"), {script("pulse-start.sh")}, 15000);
        if (!started.ok)
            return QStringLiteral("no PulseAudio server (pactl: %1) and pulse-start.sh failed: %2")
                .arg(firstTry, started.err);
        startedServer_ = started.out.contains(QStringLiteral("\n# started:"));
        static const QRegularExpression line(QStringLiteral("^export ([A-Z_]+)=(.*)$"),
                                             QRegularExpression::MultilineOption);
        for (auto it = line.globalMatch(started.out); it.hasNext();) {
            const auto m = it.next();
            qputenv(m.captured(1).toLatin1().constData(), m.captured(2).toLocal8Bit());
        }
        info = run(QStringLiteral("pactl"), {QStringLiteral("info")});
        if (!info.ok)
            return QStringLiteral("pulse-start.sh ran but the server cannot be reached: %1").arg(info.err);
    }

    sink_ = QStringLiteral("tavrin_probe_%1").arg(QCoreApplication::applicationPid());
    if (!tag_.isEmpty())
        sink_ += u'_' + tag_;
    const Run loaded = run(QStringLiteral("pactl"),
                           {QStringLiteral("load-module"), QStringLiteral("module-null-sink"),
                            QStringLiteral("sink_name=") + sink_, QStringLiteral("rate=44100"),
                            QStringLiteral("channels=1"),
                            // Without rewinds what the monitor hears is
                            // exactly what was played, never a piece the
                            // sink rendered ahead and then took back.
                            QStringLiteral("norewinds=1")});
    if (!loaded.ok)
        return QStringLiteral("cannot make a null sink: %1").arg(loaded.err);
    module_ = loaded.out.trimmed();
    qputenv("PULSE_SINK", sink_.toLatin1());

    // An idle null sink renders two seconds at a time, and a stream that
    // connects meanwhile is first read when that block is over: the first
    // sound would come up to two seconds late. The keeper stream puts the
    // sink on a short period; once the idle block it was in has run out,
    // every stream is read at once.
    keeper_ = std::make_unique<QProcess>();
    keeper_->setStandardInputFile(QStringLiteral("/dev/zero"));
    keeper_->start(QStringLiteral("pacat"),
                   {QStringLiteral("--playback"), QStringLiteral("--raw"), QStringLiteral("--format=s16le"),
                    QStringLiteral("--rate=44100"), QStringLiteral("--channels=1"),
                    QStringLiteral("--latency-msec=50"), QStringLiteral("--device=") + sink_,
                    QStringLiteral("--client-name=tavrin-keep-awake")});
    if (!keeper_->waitForStarted(5000))
        return QStringLiteral("cannot run pacat to keep the sink awake");
    QElapsedTimer clock;
    clock.start();
    while (streamCount() < 0 && clock.elapsed() < 5000)
        QThread::msleep(20);
    QThread::msleep(2100);
    if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER"))
        qputenv("SDL_AUDIODRIVER", "pulseaudio");
    return {};
}

void PulseSink::stop()
{
    if (keeper_) {
        keeper_->kill();
        keeper_->waitForFinished(3000);
        keeper_.reset();
    }
    if (!loop_.isEmpty())
        run(QStringLiteral("pactl"), {QStringLiteral("unload-module"), loop_});
    loop_.clear();
    if (!module_.isEmpty())
        run(QStringLiteral("pactl"), {QStringLiteral("unload-module"), module_});
    module_.clear();
    if (startedServer_)
        run(QStringLiteral("sh"), {script("pulse-stop.sh")}, 15000);
    startedServer_ = false;
}

QString PulseSink::loopInto(const PulseSink &to, int latencyMs)
{
    const Run loaded = run(QStringLiteral("pactl"),
                           {QStringLiteral("load-module"), QStringLiteral("module-loopback"),
                            QStringLiteral("source=") + monitor(), QStringLiteral("sink=") + to.name(),
                            QStringLiteral("latency_msec=%1").arg(latencyMs), QStringLiteral("channels=1"),
                            QStringLiteral("rate=44100"), QStringLiteral("source_dont_move=true"),
                            QStringLiteral("sink_dont_move=true")});
    if (!loaded.ok)
        return QStringLiteral("cannot loop %1 into %2: %3").arg(sink_, to.name(), loaded.err);
    loop_ = loaded.out.trimmed();
    return {};
}

int PulseSink::streamCount() const
{
    const Run sinks = run(QStringLiteral("pactl"), {QStringLiteral("list"), QStringLiteral("short"),
                                                    QStringLiteral("sinks")});
    QString index;
    for (const QString &l : sinks.out.split(u'\n')) {
        const QStringList f = l.split(u'\t');
        if (f.size() > 1 && f[1] == sink_)
            index = f[0];
    }
    const Run inputs = run(QStringLiteral("pactl"), {QStringLiteral("list"), QStringLiteral("short"),
                                                     QStringLiteral("sink-inputs")});
    int n = 0;
    for (const QString &l : inputs.out.split(u'\n')) {
        const QStringList f = l.split(u'\t');
        if (f.size() > 1 && f[1] == index)
            ++n;
    }
    return keeper_ ? n - 1 : n;
}

// ---- Recorder ---------------------------------------------------------------

Recorder::~Recorder()
{
    stop();
}

QString Recorder::start()
{
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0)
        return QStringLiteral("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    posix_spawn_file_actions_addclose(&actions, pipeFds[1]);

    const QByteArray device = "--device=" + source_.toLocal8Bit();
    const char *argv[] = {"parec", "--raw", "--format=s16le", "--rate=44100", "--channels=1",
                          "--latency-msec=20", device.constData(), nullptr};
    pid_t pid = -1;
    const int rc = posix_spawnp(&pid, "parec", &actions, nullptr, const_cast<char **>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (rc != 0) {
        close(pipeFds[0]);
        return QStringLiteral("cannot run parec");
    }
    pid_ = pid;
    fd_ = pipeFds[0];
    reader_ = std::thread([this] { read(); });

    // Sound played before the recording runs would be lost.
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (size() < rate / 10) {
        if (Clock::now() > deadline) {
            stop();
            return QStringLiteral("parec delivers nothing from %1").arg(source_);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return {};
}

void Recorder::stop()
{
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        if (reader_.joinable())
            reader_.join();
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
    if (fd_ >= 0) {
        close(fd_);
        fd_ = -1;
    }
}

void Recorder::read()
{
    char buffer[4096];
    bool odd = false;
    char low = 0;
    for (;;) {
        const ssize_t got = ::read(fd_, buffer, sizeof buffer);
        if (got <= 0)
            return;
        const auto now = Clock::now();
        std::lock_guard lock(mutex_);
        for (ssize_t i = 0; i < got; ++i) {
            if (odd) {
                const auto u = static_cast<std::uint16_t>(static_cast<std::uint8_t>(low) |
                                                          (static_cast<std::uint8_t>(buffer[i]) << 8));
                samples_.push_back(static_cast<std::int16_t>(u));
            } else {
                low = buffer[i];
            }
            odd = !odd;
        }
        pieces_.push_back({samples_.size(), now});
    }
}

std::vector<std::int16_t> Recorder::samples(std::size_t from) const
{
    std::lock_guard lock(mutex_);
    return {samples_.begin() + std::ptrdiff_t(std::min(from, samples_.size())), samples_.end()};
}

std::size_t Recorder::size() const
{
    std::lock_guard lock(mutex_);
    return samples_.size();
}

// The pieces arrive a little late and unevenly; the one that came earliest
// against its sample count gives the best estimate of when a sample played.
// Only the pieces within a second of it are asked: the sink's clock may run
// off the steady clock (a null sink here ran 200 ppm fast), and one origin
// for a whole recording put its first minute's sounds 8 ms early.
Clock::time_point Recorder::timeOf(std::size_t i) const
{
    std::lock_guard lock(mutex_);
    const auto second = std::size_t(rate);
    const auto firstEndingAfter = [this](std::size_t n) {
        return std::lower_bound(pieces_.begin(), pieces_.end(), n,
                                [](const Piece &x, std::size_t end) { return x.end < end; });
    };
    auto p = firstEndingAfter(i > second ? i - second : 0);
    // None near it (past the end): the last second's pieces then.
    if (p == pieces_.end() && !pieces_.empty())
        p = firstEndingAfter(pieces_.back().end > second ? pieces_.back().end - second : 0);
    Clock::time_point best = Clock::time_point::max();
    for (auto near = p; p != pieces_.end() && (p == near || p->end <= i + second); ++p) {
        const auto ahead = std::chrono::duration_cast<Clock::duration>(
            std::chrono::duration<double>((static_cast<double>(p->end) - static_cast<double>(i)) / rate));
        best = std::min(best, p->arrived - ahead);
    }
    return best;
}

std::size_t Recorder::indexAt(Clock::time_point t) const
{
    if (size() == 0)
        return 0;
    // Once from the start, once more from where that landed: the clock
    // near t, not near the start, decides.
    double at = 0;
    for (int k = 0; k < 2; ++k)
        at += std::chrono::duration<double>(t - timeOf(static_cast<std::size_t>(std::max(0.0, at)))).count() * rate;
    return at <= 0 ? 0 : static_cast<std::size_t>(std::ceil(at));
}

// ---- Measures ---------------------------------------------------------------

Span extent(std::span<const std::int16_t> s, int threshold)
{
    auto loud = [threshold](std::int16_t v) { return std::abs(int(v)) > threshold; };
    const auto first = std::find_if(s.begin(), s.end(), loud);
    if (first == s.end())
        return {};
    const auto last = std::find_if(s.rbegin(), s.rend(), loud);
    return {static_cast<std::size_t>(first - s.begin()), static_cast<std::size_t>(s.rend() - last)};
}

std::vector<Span> sounds(std::span<const std::int16_t> s, std::size_t minGap, int threshold)
{
    std::vector<Span> out;
    std::size_t quiet = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (std::abs(int(s[i])) > threshold) {
            if (out.empty() || quiet >= minGap)
                out.push_back({i, i + 1});
            else
                out.back().end = i + 1;
            quiet = 0;
        } else {
            ++quiet;
        }
    }
    return out;
}

bool soundsEnded(const Recorder &rec, std::size_t since, std::size_t count, int quietMs)
{
    const std::vector<std::int16_t> s = rec.samples(since);
    const std::vector<Span> found = sounds(s);
    return found.size() >= count &&
           (found.empty() || s.size() - found.back().end >= std::size_t(quietMs) * rate / 1000);
}

bool soundHeardFor(const Recorder &rec, std::size_t since, int ms)
{
    const std::vector<std::int16_t> s = rec.samples(since);
    const std::vector<Span> found = sounds(s);
    return !found.empty() && s.size() - found.front().begin >= std::size_t(ms) * rate / 1000;
}

std::vector<std::vector<std::int16_t>> heardSounds(std::span<const std::int16_t> s, int *dropouts)
{
    constexpr int abrupt = 1000;      // a sound cut off or resumed, not faded
    constexpr std::size_t shortest = 16;
    std::vector<std::int16_t> kept;   // s without its dropouts
    kept.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        if (s[i] != 0) {
            kept.push_back(s[i++]);
            continue;
        }
        std::size_t j = i;
        while (j < s.size() && s[j] == 0)
            ++j;
        // A few samples either side show the strength whatever the phase;
        // too few for a fade to have begun.
        constexpr std::size_t look = 8;
        auto strength = [&s](std::size_t from, std::size_t to) {
            int most = 0;
            for (std::size_t k = from; k < std::min(to, s.size()); ++k)
                most = std::max(most, std::abs(int(s[k])));
            return most;
        };
        const bool cut = strength(i >= look ? i - look : 0, i) >= abrupt;
        const bool resumed = strength(j, j + look) >= abrupt;
        if (cut && resumed && j - i >= shortest) {
            if (dropouts)
                ++*dropouts;
        } else {
            kept.insert(kept.end(), s.begin() + std::ptrdiff_t(i), s.begin() + std::ptrdiff_t(j));
        }
        i = j;
    }
    std::vector<std::vector<std::int16_t>> out;
    for (const Span &p : sounds(kept))
        out.emplace_back(kept.begin() + std::ptrdiff_t(p.begin), kept.begin() + std::ptrdiff_t(p.end));
    return out;
}

double crossingPitch(std::span<const std::int16_t> s)
{
    std::size_t crossings = 0;
    for (std::size_t i = 1; i < s.size(); ++i)
        if ((s[i - 1] < 0) != (s[i] < 0))
            ++crossings;
    return s.size() < 2 ? 0.0 : crossings * double(rate) / (2.0 * double(s.size()));
}

double likeness(std::span<const std::int16_t> a, std::span<const std::int16_t> b)
{
    const std::size_t n = std::min(a.size(), b.size());
    double ab = 0, aa = 0, bb = 0;
    for (std::size_t i = 0; i < n; ++i) {
        ab += double(a[i]) * b[i];
        aa += double(a[i]) * a[i];
        bb += double(b[i]) * b[i];
    }
    return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0.0;
}

double milliseconds(std::size_t samples)
{
    return 1000.0 * double(samples) / rate;
}

QString Match::describe() const
{
    return QStringLiteral("heard %1 ms (file %2 ms), likeness %3, %4 Hz (file %5 Hz), loudness %6")
        .arg(heardMs).arg(fileMs).arg(likeness).arg(heardHz).arg(fileHz).arg(loudness);
}

bool Match::sameSound() const
{
    return std::abs(heardMs - fileMs) <= 5 && likeness >= 0.98 && std::abs(heardHz - fileHz) <= 0.03 * fileHz &&
           loudness >= 0.5;
}

Match compare(std::span<const std::int16_t> heard, std::span<const std::int16_t> file)
{
    auto peak = [](std::span<const std::int16_t> s) {
        int p = 0;
        for (auto v : s)
            p = std::max(p, std::abs(int(v)));
        return p;
    };
    const Span f = extent(file);
    const auto sound = file.subspan(f.begin, f.length());
    Match m;
    m.heardMs = milliseconds(heard.size());
    m.fileMs = milliseconds(f.length());
    m.likeness = likeness(heard, sound);
    m.heardHz = crossingPitch(heard);
    m.fileHz = crossingPitch(sound);
    m.loudness = sound.empty() ? 0.0 : double(peak(heard)) / peak(sound);
    return m;
}

} // namespace tavrin::probe

namespace tavrin::probe {

std::optional<Clock::time_point> onsetAfter(const Recorder &rec, Clock::time_point t, int windowMs, double leadInMs)
{
    const std::vector<std::int16_t> all = rec.samples();
    const std::size_t from = rec.indexAt(t);
    if (from >= all.size())
        return std::nullopt;
    const auto piece =
        std::span(all).subspan(from, std::min(all.size() - from, std::size_t(windowMs) * std::size_t(rate) / 1000));
    const Span s = extent(piece);
    if (s.length() == 0)
        return std::nullopt;
    return rec.timeOf(from + s.begin) - std::chrono::microseconds(std::llround(leadInMs * 1000));
}

} // namespace tavrin::probe
