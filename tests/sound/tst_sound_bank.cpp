// The player bank as it is heard: every test that plays records the monitor
// of a null sink of its own and compares what arrived with the cue files.

#include "cue_synth.h"
#include "sound_probe.h"
#include "sound_bank.h"
#include "texts.h"
#include "texts.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <array>
#include <climits>
#include <cmath>
#include <functional>
#include <memory>
#include <numbers>
#include <optional>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace tavrin;
using cues::Cue;
using probe::compare;
using probe::Match;
using Samples = std::vector<std::int16_t>;

namespace {

QString str(const char *s)
{
    return tavrin::texts::str(s);
}

const std::array<QString, 4> defaultNames = {
    QLatin1String(texts::defaultCue1), QLatin1String(texts::defaultCue2),
    QLatin1String(texts::defaultCue3), QLatin1String(texts::chimeCue)};

std::array<QString, 4> defaultPaths()
{
    std::array<QString, 4> p;
    for (std::size_t i = 0; i < p.size(); ++i)
        p[i] = QStringLiteral(TAVRIN_CUE_DIR "/") + defaultNames[i];
    return p;
}

// The bank driven as the program drives it: the start-up sequence, and Stop
// then Prev on every completion. Notes when each play was asked for.
struct Program {
    SoundBank bank;
    QSignalSpy done{&bank, &SoundBank::done};
    QSignalSpy notices{&bank, &SoundBank::notice};
    bool doneOnOwnThread = true;

    explicit Program(const std::array<QString, 4> &files)
    {
        QObject::connect(&bank, &SoundBank::done, &bank, [this](int n) {
            doneOnOwnThread = doneOnOwnThread && QThread::currentThread() == bank.thread();
            bank.command(n, PlayerCommand::Stop);
            bank.command(n, PlayerCommand::Prev);
        });
        for (int n = 1; n <= 4; ++n) {
            bank.setNotify(n, true);
            bank.setFileName(n, files[std::size_t(n - 1)]);
            bank.command(n, PlayerCommand::Open);
        }
        // The output opens on a thread of its own.
        waitFor([this] { return bank.outputOpen() || notices.count() > 0; }, 3000);
    }
    ~Program()
    {
        for (int n = 1; n <= 4; ++n)
            bank.command(n, PlayerCommand::Close);
    }

    void play(int n)
    {
        bank.command(n, PlayerCommand::Play);
    }
    // Plays and waits for the completion.
    bool playThrough(int n, int timeoutMs = 3000)
    {
        const auto before = done.count();
        play(n);
        return waitFor([&] { return done.count() > before; }, timeoutMs);
    }
    static bool waitFor(const std::function<bool()> &ready, int timeoutMs)
    {
        return QTest::qWaitFor(ready, timeoutMs);
    }
};

// The sounds heard since a test began.
struct Heard {
    std::vector<Samples> sounds;
    int dropouts = 0;

    Heard(const probe::Recorder &rec, std::size_t since)
    {
        const Samples all = rec.samples();
        sounds = probe::heardSounds(std::span(all).subspan(std::min(since, all.size())), &dropouts);
        if (dropouts > 0)
            qWarning("%d cut(s) taken out of the recording: a stop, or a dropout on a busy machine", dropouts);
    }
    QByteArray lengths() const
    {
        QStringList ms;
        for (const Samples &s : sounds)
            ms << QString::number(probe::milliseconds(s.size()));
        return (QStringLiteral("sounds of ") + ms.join(QStringLiteral(", ")) + QStringLiteral(" ms")).toUtf8();
    }
};

QByteArray explain(const Match &m)
{
    return m.describe().toUtf8();
}

Samples tone(double hz, double seconds)
{
    Samples s(std::size_t(seconds * cues::sampleRate));
    for (std::size_t i = 0; i < s.size(); ++i)
        s[i] = std::int16_t(std::lround(12000 * std::sin(2 * std::numbers::pi * hz * double(i) / cues::sampleRate)));
    return s;
}

// A server socket that takes connections and never answers them.
int deafListener(const QString &path)
{
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    qstrncpy(addr.sun_path, path.toLocal8Bit().constData(), sizeof addr.sun_path);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd >= 0 && (bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0 || listen(fd, 16) != 0)) {
        close(fd);
        return -1;
    }
    return fd;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace

class TestSoundBank : public QObject {
    Q_OBJECT

    probe::PulseSink pulse_;
    QString noPulse_;
    QTemporaryDir busDir_;
    int deafBus_ = -1;
    QString startDir_;
    // Runs from the first test to the last: the sink keeps a short period,
    // and every test reads what arrived since it began.
    std::unique_ptr<probe::Recorder> rec_;
    std::size_t mark() const { return rec_->size(); }

    // What one run of all four default cues sounded like; recorded once and
    // examined cue by cue.
    struct Session {
        std::vector<Samples> heard; // each play
        QByteArray lengths;
        QList<int> done;
        int notices = 0;
        bool doneOnOwnThread = false;
        QString failure;
    };
    std::optional<Session> session_;
    const Session &session();

    // Skips, or fails where a sound server is required, when nothing can be
    // played to.
    bool needPulse();

private slots:
    void initTestCase();
    void cleanup();
    void cleanupTestCase();

    void defaultCuesAreHeard_data();
    void defaultCuesAreHeard();
    void playWhileSoundingStartsAgain();
    void stopAndRewind_data();
    void stopAndRewind();
    void unusableFileFallsBackToBuiltin_data();
    void unusableFileFallsBackToBuiltin();
    void eachFileIsReportedOnce();
    void nameWithoutFolderIsInWorkingDirectory();
    void closeReleasesTheOutput();
    void emptyNameIsSilence();
    void outputIdlesWhileNoCueIsWanted();
    void lateCueIsToldOnce();
    void noOutputIsToldOnceAndCommandsDoNothing();
    void silentServerIsTold();
    void unknownPlayersAreIgnored_data();
    void unknownPlayersAreIgnored();
};

#define NEED_PULSE()                                                                               \
    do {                                                                                           \
        if (!needPulse())                                                                          \
            return;                                                                                \
    } while (false)

void TestSoundBank::initTestCase()
{
    startDir_ = QDir::currentPath();
    // A session bus that takes connections and never answers: opening the
    // output must not wait for D-Bus (an open that did hung for good where
    // libdbus forked to autolaunch a bus).
    const QString bus = busDir_.filePath(QStringLiteral("bus"));
    deafBus_ = deafListener(bus);
    QVERIFY(deafBus_ >= 0);
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + bus.toLocal8Bit());
    noPulse_ = pulse_.start();
    if (noPulse_.isEmpty()) {
        rec_ = std::make_unique<probe::Recorder>(pulse_.monitor());
        noPulse_ = rec_->start();
    }
}

void TestSoundBank::cleanup()
{
    QDir::setCurrent(startDir_);
}

void TestSoundBank::cleanupTestCase()
{
    if (rec_)
        rec_->stop();
    pulse_.stop();
    if (deafBus_ >= 0)
        close(deafBus_);
}

bool TestSoundBank::needPulse()
{
    if (noPulse_.isEmpty())
        return true;
    // The CI job starts a server; there a missing one is a fault, not a skip.
    if (qEnvironmentVariableIntValue("TAVRIN_REQUIRE_SOUND") == 1)
        QTest::qFail(qPrintable(noPulse_), __FILE__, __LINE__);
    else
        QTest::qSkip(qPrintable(QStringLiteral("cannot listen: ") + noPulse_), __FILE__, __LINE__);
    return false;
}

const TestSoundBank::Session &TestSoundBank::session()
{
    if (session_)
        return *session_;
    session_.emplace();
    Session &s = *session_;

    // Started the documented way: the cue files in the working directory,
    // named without a folder.
    QDir::setCurrent(QStringLiteral(TAVRIN_CUE_DIR));
    const std::size_t since = mark();
    Program program(defaultNames);
    std::size_t played = 0;
    for (int n : {1, 2, 3, 4, 1}) {
        // Each once the last has been heard to its end, so that they are heard apart.
        ++played;
        if (!program.playThrough(n) ||
            !Program::waitFor([&] { return probe::soundsEnded(*rec_, since, played, 100); }, 3000)) {
            s.failure = QStringLiteral("player %1 not heard to its end").arg(n);
            break;
        }
    }
    // Anything still to come (a late or second completion, a tail of sound)
    // shows itself within half a second of recording.
    Program::waitFor([&] { return probe::soundsEnded(*rec_, since, played, 500); }, 3000);
    for (const QVariantList &args : program.done)
        s.done << args.at(0).toInt();
    s.notices = int(program.notices.count());
    s.doneOnOwnThread = program.doneOnOwnThread;
    const Heard heard(*rec_, since);
    s.heard = heard.sounds;
    s.lengths = heard.lengths();
    return s;
}

void TestSoundBank::defaultCuesAreHeard_data()
{
    QTest::addColumn<int>("order");
    QTest::addColumn<int>("player");
    QTest::addColumn<double>("lowHz");
    QTest::addColumn<double>("highHz");
    // The cues' pitches as designed: a high tick, a low two-tone call, a
    // falling bell, a higher soft chime.
    QTest::newRow("warning tick") << 0 << 1 << 950.0 << 1150.0;
    QTest::newRow("end of answering time") << 1 << 2 << 550.0 << 800.0;
    QTest::newRow("end of examination") << 2 << 3 << 600.0 << 850.0;
    QTest::newRow("chime") << 3 << 4 << 1400.0 << 1700.0;
    QTest::newRow("tick again after its completion") << 4 << 1 << 950.0 << 1150.0;
}

void TestSoundBank::defaultCuesAreHeard()
{
    NEED_PULSE();
    QFETCH(int, order);
    QFETCH(int, player);
    QFETCH(double, lowHz);
    QFETCH(double, highHz);

    const Session &s = session();
    QVERIFY2(s.failure.isEmpty(), qPrintable(s.failure));
    QCOMPARE(s.notices, 0);
    QVERIFY(s.doneOnOwnThread);
    QCOMPARE(s.done, (QList<int>{1, 2, 3, 4, 1}));
    QVERIFY2(s.heard.size() == 5, s.lengths);

    const Match m = compare(s.heard[std::size_t(order)], cues::synthesize(Cue(player)));
    QVERIFY2(m.sameSound(), explain(m));
    QVERIFY2(m.heardHz >= lowHz && m.heardHz <= highHz, explain(m));
}

// A cue that comes while the last one still sounds starts it again, and the
// cut-off play does not count as a completion: if it did, the Stop and Prev
// that answer it would silence the new play.
void TestSoundBank::playWhileSoundingStartsAgain()
{
    NEED_PULSE();
    const std::size_t since = mark();
    const Samples chime = cues::synthesize(Cue::Chime);
    Program program(defaultPaths());
    program.play(4);
    QVERIFY(Program::waitFor([&] { return probe::soundHeardFor(*rec_, since, 100); }, 3000));
    QVERIFY(program.playThrough(4));
    QVERIFY(Program::waitFor([&] { return probe::soundsEnded(*rec_, since, 1, 300); }, 3000));
    QCOMPARE(program.done.count(), 1);

    // One unbroken sound: the first play's beginning, then the whole chime.
    const Heard heard(*rec_, since);
    QVERIFY2(heard.sounds.size() == 1, heard.lengths());
    const Samples &s = heard.sounds[0];
    const std::size_t whole = probe::extent(chime).length();
    const double cut = probe::milliseconds(s.size() - std::min(whole, s.size()));
    QVERIFY2(cut > 50 && cut < 200, heard.lengths());
    const Match m = compare(std::span(s).subspan(s.size() - whole), chime);
    QVERIFY2(m.sameSound(), explain(m));
}

void TestSoundBank::stopAndRewind_data()
{
    QTest::addColumn<bool>("rewind");
    QTest::newRow("stop, then play goes on") << false;
    QTest::newRow("stop and rewind, then play starts over") << true;
}

void TestSoundBank::stopAndRewind()
{
    NEED_PULSE();
    QFETCH(bool, rewind);
    const std::size_t since = mark();
    const Samples chime = cues::synthesize(Cue::Chime);
    Program program(defaultPaths());
    program.play(4);
    QVERIFY(Program::waitFor([&] { return probe::soundHeardFor(*rec_, since, 100); }, 3000));
    program.bank.command(4, PlayerCommand::Stop);
    if (rewind)
        program.bank.command(4, PlayerCommand::Prev);
    // Held: the recording goes quiet, and nothing completes.
    QVERIFY(Program::waitFor([&] { return probe::soundsEnded(*rec_, since, 1, 200); }, 3000));
    QCOMPARE(program.done.count(), 0);
    QVERIFY(program.playThrough(4));
    QVERIFY(Program::waitFor([&] { return probe::soundsEnded(*rec_, since, 2, 150); }, 3000));
    QCOMPARE(program.done.count(), 1);

    const Heard heard(*rec_, since);
    if (rewind) {
        // Its beginning, then after the pause the whole chime.
        QVERIFY2(heard.sounds.size() == 2, heard.lengths());
        const double before = probe::milliseconds(heard.sounds[0].size());
        QVERIFY2(before > 50 && before < 200, heard.lengths());
        const Match m = compare(heard.sounds[1], chime);
        QVERIFY2(m.sameSound(), explain(m));
    } else {
        // The chime once: the pause, cut off and resumed at full strength,
        // is taken out like a dropout.
        QVERIFY2(heard.sounds.size() == 1, heard.lengths());
        QVERIFY(heard.dropouts >= 1);
        const Match m = compare(heard.sounds[0], chime);
        QVERIFY2(m.sameSound(), explain(m));
    }
}

void TestSoundBank::unusableFileFallsBackToBuiltin_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content"); // written to the name unless null
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing") << QStringLiteral("Tavrin-Jihou1.wav") << QByteArray()
                             << str(texts::soundMissing);
    QTest::newRow("not a sound") << QStringLiteral("tick.wav") << QByteArray("RIFF? no, a note")
                                 << str(texts::soundUndecodable);
    QTest::newRow("empty file") << QStringLiteral("empty.wav") << QByteArray("")
                                << str(texts::soundUndecodable);
    QTest::newRow("a folder") << QStringLiteral("cues") << QByteArray() << str(texts::soundNotAFile);
    QTest::newRow("Japanese name, missing") << QStringLiteral("合図１.wav") << QByteArray()
                                            << str(texts::soundMissing);
}

void TestSoundBank::unusableFileFallsBackToBuiltin()
{
    NEED_PULSE();
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir::setCurrent(dir.path()));
    if (!content.isNull())
        QVERIFY(writeFile(name, content));
    if (name == QLatin1String("cues"))
        QVERIFY(QDir().mkdir(name));

    const std::size_t since = mark();
    auto files = defaultPaths();
    files[0] = name;
    Program program(files);
    QVERIFY(program.playThrough(1));
    QVERIFY(Program::waitFor([&] { return probe::soundsEnded(*rec_, since, 1); }, 3000));
    QVERIFY(program.playThrough(1));
    QVERIFY(Program::waitFor([&] { return probe::soundsEnded(*rec_, since, 2, 150); }, 3000));

    QCOMPARE(program.notices.count(), 1);
    const QString text = program.notices.at(0).at(0).toString();
    const QString shown = QDir::toNativeSeparators(dir.filePath(name));
    QVERIFY2(text.contains(shown) && text.contains(reason) && text.contains(str(texts::soundRole1)) &&
                 text.startsWith(str(texts::soundFallbackHead)),
             qPrintable(text));
    const Heard heard(*rec_, since);
    QVERIFY2(heard.sounds.size() == 2, heard.lengths());
    for (const Samples &h : heard.sounds) {
        const Match m = compare(h, cues::synthesize(Cue::Tick));
        QVERIFY2(m.sameSound(), explain(m));
    }
}

// The start-up opens four players in a row; what they found comes as one
// message, naming each file once even when two players share it.
void TestSoundBank::eachFileIsReportedOnce()
{
    NEED_PULSE();
    QTemporaryDir dir;
    QVERIFY(QDir::setCurrent(dir.path()));
    auto files = defaultPaths();
    files[0] = files[1] = QStringLiteral("gone.wav");
    files[2] = QStringLiteral("also-gone.wav");
    Program program(files);
    QVERIFY(Program::waitFor([&] { return program.notices.count() > 0; }, 1000));
    // Playing the replaced sounds tells nothing more.
    program.play(1);
    program.play(3);
    QVERIFY(Program::waitFor([&] { return program.done.count() == 2; }, 3000));
    QCOMPARE(program.notices.count(), 1);
    const QString text = program.notices.at(0).at(0).toString();
    QCOMPARE(text.count(QStringLiteral("gone.wav")), 2); // gone.wav and also-gone.wav
    QCOMPARE(text.count(QDir::toNativeSeparators(dir.filePath(QStringLiteral("gone.wav")))), 1);
    QVERIFY(text.contains(str(texts::soundRole3)));
}

void TestSoundBank::nameWithoutFolderIsInWorkingDirectory()
{
    NEED_PULSE();
    QTemporaryDir dir;
    QVERIFY(QDir::setCurrent(dir.path()));
    const Samples own = tone(440, 0.2);
    const auto bytes = cues::wavFile(own);
    QVERIFY(writeFile(QStringLiteral("own.wav"), QByteArray(reinterpret_cast<const char *>(bytes.data()),
                                                           qsizetype(bytes.size()))));
    const std::size_t since = mark();
    auto files = defaultPaths();
    files[3] = QStringLiteral("own.wav");
    Program program(files);
    QVERIFY(program.playThrough(4));
    QVERIFY(Program::waitFor([&] { return probe::soundsEnded(*rec_, since, 1, 100); }, 3000));
    QCOMPARE(program.notices.count(), 0);
    const Heard heard(*rec_, since);
    QVERIFY2(heard.sounds.size() == 1, heard.lengths());
    const Match m = compare(heard.sounds[0], own);
    QVERIFY2(m.sameSound(), explain(m));
}

// Exit closes the four players; the sound output must go with the last.
void TestSoundBank::closeReleasesTheOutput()
{
    NEED_PULSE();
    QCOMPARE(pulse_.streamCount(), 0);
    Program program(defaultPaths());
    QCOMPARE(pulse_.streamCount(), 1);
    for (int n = 1; n <= 3; ++n)
        program.bank.command(n, PlayerCommand::Close);
    QCOMPARE(pulse_.streamCount(), 1);
    program.play(4);
    program.bank.command(4, PlayerCommand::Close);
    QVERIFY(Program::waitFor([&] { return pulse_.streamCount() == 0; }, 2000));
    // Commands to closed players do nothing.
    for (int n = 1; n <= 4; ++n) {
        program.play(n);
        program.bank.command(n, PlayerCommand::Stop);
        program.bank.command(n, PlayerCommand::Prev);
    }
    QVERIFY(!Program::waitFor([&] { return pulse_.streamCount() > 0 || program.done.count() > 0; }, 200));
}

// An emptied line in the settings file: that cue plays nothing, and nobody
// is bothered with a notice about it.
void TestSoundBank::emptyNameIsSilence()
{
    NEED_PULSE();
    QTemporaryDir dir;
    QVERIFY(QDir::setCurrent(dir.path()));
    const std::size_t since = mark();
    auto files = defaultPaths();
    files[0] = QString();
    Program program(files);
    program.play(1);
    QVERIFY(program.playThrough(2));
    QVERIFY(Program::waitFor([&] { return probe::soundsEnded(*rec_, since, 1, 150); }, 3000));
    QCOMPARE(program.notices.count(), 0);
    const CueStatus status = program.bank.cueStatus(1);
    QCOMPARE(status.source, CueSource::Silent);
    QCOMPARE(status.reason, str(texts::soundNoName));
    QCOMPARE(program.bank.cueStatus(2).source, CueSource::OwnFile);
    const Heard heard(*rec_, since);
    QVERIFY2(heard.sounds.size() == 1, heard.lengths()); // only player 2
    QVERIFY(compare(heard.sounds[0], cues::synthesize(Cue::AnswerEnd)).sameSound());
}

// While no cue is wanted the output idles once nothing plays, still open; a
// cue that comes all the same wakes it and is heard whole.
void TestSoundBank::outputIdlesWhileNoCueIsWanted()
{
    NEED_PULSE();
    Program program(defaultPaths());
    QCOMPARE(pulse_.streamCount(), 1);
    const std::size_t since = mark();
    program.play(3);
    program.bank.setOutputWanted(false);
    QVERIFY(Program::waitFor([&] { return program.bank.outputIdle(); }, 4000));
    QCOMPARE(pulse_.streamCount(), 1);
    QVERIFY(program.playThrough(4));
    QVERIFY(Program::waitFor([&] { return program.bank.outputIdle(); }, 2000));
    program.bank.setOutputWanted(true);
    QVERIFY(!program.bank.outputIdle());
    QVERIFY(program.playThrough(1));
    QVERIFY(Program::waitFor([&] { return probe::soundsEnded(*rec_, since, 3, 100); }, 3000));
    const Heard heard(*rec_, since);
    QVERIFY2(heard.sounds.size() == 3, heard.lengths());
    const Cue expected[] = {Cue::ExamEnd, Cue::Chime, Cue::Tick};
    for (std::size_t i = 0; i < 3; ++i) {
        const Match m = compare(heard.sounds[i], cues::synthesize(expected[i]));
        QVERIFY2(m.sameSound(), qPrintable(QStringLiteral("sound %1: ").arg(i + 1) + m.describe()));
    }
}

// A tick's cue asked for after its time (the tick was handled half a second
// late) starts as soon as it can, and says by how much it was late; the
// operator hears of such cues once.
void TestSoundBank::lateCueIsToldOnce()
{
    NEED_PULSE();
    Program program(defaultPaths());
    QSignalSpy late(&program.bank, &SoundBank::cueLate);
    program.bank.setDueClock([] { return QDateTime::currentMSecsSinceEpoch() - 500; });
    QVERIFY(program.playThrough(1));
    QVERIFY(program.playThrough(1));
    QCOMPARE(late.count(), 2);
    for (const QVariantList &args : late) {
        QCOMPARE(args.at(0).toInt(), 1);
        QVERIFY2(args.at(1).toLongLong() > 400 && args.at(1).toLongLong() < 500, qPrintable(args.at(1).toString()));
    }
    QCOMPARE(program.notices.count(), 1);
    QCOMPARE(program.notices.at(0).at(0).toString(), str(texts::soundCueMissed));
}

void TestSoundBank::noOutputIsToldOnceAndCommandsDoNothing()
{
    const QByteArray driver = qgetenv("SDL_AUDIODRIVER");
    qputenv("SDL_AUDIODRIVER", "no_such_driver");
    Program program(defaultPaths());
    QVERIFY(Program::waitFor([&] { return program.notices.count() > 0; }, 1000));
    for (int n = 1; n <= 4; ++n) {
        program.play(n);
        program.bank.command(n, PlayerCommand::Stop);
        program.bank.command(n, PlayerCommand::Prev);
        program.play(n);
    }
    QVERIFY(!Program::waitFor([&] { return program.notices.count() > 1 || program.done.count() > 0; }, 300));
    qputenv("SDL_AUDIODRIVER", driver);
    const QString text = program.notices.at(0).at(0).toString();
    QVERIFY2(text.startsWith(str(texts::soundNoOutput).section(u'\n', 0, 0)), qPrintable(text));
}

// A sound server that takes the connection and never answers (stopped, or
// hung): the operator is told instead of the cues going silent unsaid.
void TestSoundBank::silentServerIsTold()
{
    const QString path = busDir_.filePath(QStringLiteral("pulse"));
    const int deaf = deafListener(path);
    QVERIFY(deaf >= 0);
    const QByteArray server = qgetenv("PULSE_SERVER");
    qputenv("PULSE_SERVER", "unix:" + path.toLocal8Bit());
    QElapsedTimer ending;
    {
        Program program(defaultPaths());
        program.play(1);
        QVERIFY(Program::waitFor([&] { return program.notices.count() > 0; }, SoundBank::openTimeoutMs + 2000));
        QVERIFY(!program.bank.outputOpen());
        QCOMPARE(program.notices.count(), 1);
        const QString text = program.notices.at(0).at(0).toString();
        QVERIFY2(text.contains(str(texts::soundServerSilent).arg(SoundBank::openTimeoutMs / 1000)), qPrintable(text));
        ending.start();
    }
    // The program can end all the same; once the server gives up, the
    // output is free for the next one.
    QVERIFY(ending.elapsed() < SoundBank::stopGraceMs + 1000);
    close(deaf);
    QVERIFY(Program::waitFor([] { return !SoundBank::outputInUse(); }, 5000));
    if (server.isNull())
        qunsetenv("PULSE_SERVER");
    else
        qputenv("PULSE_SERVER", server);
}

void TestSoundBank::unknownPlayersAreIgnored_data()
{
    QTest::addColumn<int>("player");
    QTest::newRow("0") << 0;
    QTest::newRow("5") << 5;
    QTest::newRow("-1") << -1;
    QTest::newRow("32767") << 32767;
    QTest::newRow("INT_MIN") << INT_MIN;
}

void TestSoundBank::unknownPlayersAreIgnored()
{
    QFETCH(int, player);
    SoundBank bank;
    QSignalSpy done(&bank, &SoundBank::done);
    QSignalSpy notices(&bank, &SoundBank::notice);
    bank.setNotify(player, true);
    bank.setFileName(player, QStringLiteral("nothing.wav"));
    for (auto cmd : {PlayerCommand::Open, PlayerCommand::Play, PlayerCommand::Stop, PlayerCommand::Prev,
                     PlayerCommand::Play, PlayerCommand::Close})
        bank.command(player, cmd);
    QCoreApplication::processEvents(); // what a notice would be told in
    QCOMPARE(done.count(), 0);
    QCOMPARE(notices.count(), 0);
}

QTEST_GUILESS_MAIN(TestSoundBank)
#include "tst_sound_bank.moc"
