// The real program killed with SIGKILL in the middle of an examination and
// started again: the operator takes the first choice with Enter, and the run
// is back where the elapsed time puts it, its cues on the grid of the first
// run. 3 seconds to answer, 2 to move, 3 questions: cues at 0, 1, 2, 5, 6, 7,
// 10, 11, 12 and 14 seconds from the first.
#include "click_points.h"
#include "e2e_support.h"
#include "sound_probe.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <csignal>

namespace at = tavrin::testing::at;
using Clock = tavrin::probe::Clock;

namespace {
const QColor kRed(255, 0, 0), kGreen(0, 255, 0);
const QString kQuestion = QStringLiteral("前の試験が途中で止まっています");
const double kCues[] = {0, 1, 2, 5, 6, 7, 10, 11, 12, 14};

int redDots(const QImage &img)
{
    int n = 0;
    for (const QPoint &p : at::dots)
        n += e2e::near(img.pixelColor(p), kRed);
    return n;
}

// When each cue heard so far began, on the steady clock.
std::vector<Clock::time_point> onsets(const tavrin::probe::Recorder &rec)
{
    std::vector<Clock::time_point> out;
    for (const e2e::Burst &b : e2e::bursts(rec.samples()))
        out.push_back(rec.timeOf(std::size_t(b.start * tavrin::probe::rate)));
    return out;
}

double seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

// A column of the journal's latest event of the given kind.
QVariant latest(const QString &dir, const char *kind, const char *column = "ck")
{
    QVariant v;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("reader"));
        db.setDatabaseName(QDir(dir).filePath(QStringLiteral("Tavrin-record.sqlite")));
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        QSqlQuery q(db);
        if (db.open() &&
            q.exec(QStringLiteral("SELECT %1 FROM events WHERE kind = '%2' ORDER BY id DESC LIMIT 1")
                       .arg(QLatin1String(column), QLatin1String(kind))) &&
            q.next())
            v = q.value(0);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("reader"));
    return v;
}

// Kills the program as a crash would and starts it again in the same
// folder: the question it then asks, or empty if it asks none in 10 s.
QString killAndRestart(e2e::Program &program, e2e::Program &again)
{
    program.process().kill();
    if (!program.waitForExit(3000) || !again.launch())
        return {};
    return again.waitForWindow(kQuestion, 10000);
}
} // namespace

class TestResumeE2E : public QObject {
    Q_OBJECT
private slots:
    void init();
    void killedWhileRunning();
    void killedWhilePaused();
    void faultsLeaveTheRunGoing_data();
    void faultsLeaveTheRunGoing();
    void endedBySystem();

private:
    void startRun(e2e::Program &program, tavrin::probe::Recorder *rec);
    std::unique_ptr<QTemporaryDir> dir_;
    Clock::time_point first_; // the first cue of the run
};

void TestResumeE2E::init()
{
    if (const QString why = e2e::missingDisplay(); !why.isEmpty())
        QFAIL(qPrintable(why));
    dir_ = std::make_unique<QTemporaryDir>();
    e2e::copyCues(dir_->path());
    e2e::writeSettings(dir_->path(), {u"3,2,3"_qs, u"Tavrin-Jihou1.wav"_qs, u"Tavrin-Jihou2.wav"_qs,
                                      u"Tavrin-Jihou3.wav"_qs, u"移動してください"_qs, u"試験終了"_qs, u"10"_qs,
                                      u"0"_qs});
}

// Starts the run and waits for its first cue (or its first dot, unheard).
void TestResumeE2E::startRun(e2e::Program &program, tavrin::probe::Recorder *rec)
{
    QVERIFY(program.start());
    // Started at once: the first cue is heard all the same.
    program.click(at::command1);
    if (rec) {
        QTRY_VERIFY_WITH_TIMEOUT(!onsets(*rec).empty(), 3000);
        first_ = onsets(*rec).front();
    } else {
        QVERIFY(program.waitFor([](const QImage &img) { return redDots(img) == 1; }, 3000));
        first_ = Clock::now(); // within a screenshot of the first second
    }
}

void TestResumeE2E::killedWhileRunning()
{
    const QString noSound = e2e::missingSound();
    if (!noSound.isEmpty())
        QFAIL(qPrintable(noSound));
    tavrin::probe::Recorder rec(e2e::sinkMonitor());
    QCOMPARE(rec.start(), QString());
    auto at = [this](double s) { return first_ + std::chrono::milliseconds(qint64(s * 1000)); };

    e2e::Program program(dir_->path()), again(dir_->path());
    startRun(program, &rec);
    if (QTest::currentTestFailed())
        return;
    std::this_thread::sleep_until(at(5.5)); // the first second of question 2
    const QString box = killAndRestart(program, again);
    QVERIFY(!box.isEmpty());
    QImage question = QImage::fromData(e2e::run(QStringLiteral("import"), {QStringLiteral("-window"), box,
                                                                         QStringLiteral("png:-")}),
                                       "PNG");
    question.save(QStringLiteral("resume-question.png"));
    // The first second of question 3: the room has gone on.
    std::this_thread::sleep_until(at(10.3));
    again.keyTo(box, QStringLiteral("Return"));
    QVERIFY(!again.waitForWindow(QStringLiteral("Tavrin ver"), 1000).isEmpty());
    QVERIFY(again.waitFor([](const QImage &img) { return redDots(img) >= 1; }, 1000));
    const Clock::time_point shown = Clock::now();
    const int expected = int(seconds(shown - first_)) % 5 + 1;
    QVERIFY2(Clock::now() < at(12), "too late to tell the second");
    const int dots = redDots(again.shot());
    QVERIFY2(dots == expected || dots == expected + 1, qPrintable(QStringLiteral("%1 dots").arg(dots)));
    again.shot().save(QStringLiteral("resume-now.png"));

    std::this_thread::sleep_until(at(16));
    rec.stop();
    QCOMPARE(latest(dir_->path(), "adopted").toInt(), 3);
    const std::vector<Clock::time_point> heard = onsets(rec);
    // Before the kill: every cue up to 5; after the resume, 11, 12 and 14.
    std::vector<double> got;
    for (Clock::time_point t : heard)
        got.push_back(seconds(t - first_));
    const std::vector<double> want = {0, 1, 2, 5, 11, 12, 14};
    QStringList told;
    for (double g : got)
        told << QString::number(g, 'f', 3);
    qInfo("cues at %s s from the first", qPrintable(told.join(u", "_qs)));
    // Whether the program knew a cue was late tells its own lateness (the
    // UI thread or the output held) from the recorder's.
    if (const QVariant late = latest(dir_->path(), "cue-late", "detail"); late.isValid())
        qInfo("the program recorded a late cue: %s", qPrintable(late.toString()));
    QCOMPARE(got.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i)
        QVERIFY2(std::abs(got[i] - want[i]) < 0.05,
                 qPrintable(QStringLiteral("cue %1 at %2 s, not %3").arg(i + 1).arg(got[i]).arg(want[i])));
}

void TestResumeE2E::killedWhilePaused()
{
    e2e::Program program(dir_->path()), again(dir_->path());
    // Its question is found by its Japanese title also when no locale is
    // set, as on a bare machine reached as root.
    again.setEnv(u"LC_ALL"_qs, u"C"_qs);
    startRun(program, nullptr);
    if (QTest::currentTestFailed())
        return;
    std::this_thread::sleep_until(first_ + std::chrono::milliseconds(5400)); // question 2, second 1
    program.click(at::command2); // 中断
    QVERIFY(program.waitFor([](const QImage &img) { return redDots(img) == 1; }, 1500));
    QTRY_VERIFY_WITH_TIMEOUT(latest(dir_->path(), "pause", "id").isValid(), 3000); // recorded
    const QString box = killAndRestart(program, again);
    QVERIFY(!box.isEmpty());
    QThread::msleep(2000); // time passes; a paused run does not move
    again.keyTo(box, QStringLiteral("Return"));
    QVERIFY(!again.waitForWindow(QStringLiteral("Tavrin ver"), 1000).isEmpty());
    QThread::msleep(1500);
    // Second 1 of question 2; like any redraw, it shows the dot of the
    // second in progress too.
    const QImage still = again.shot();
    QCOMPARE(redDots(still), 2);
    QVERIFY(!e2e::near(still.pixelColor(at::bannerMiddle), kGreen));
    QCOMPARE(latest(dir_->path(), "adopted").toInt(), 2);
    // 再開: the run goes on from there.
    again.click(at::command2);
    QVERIFY(again.waitFor([](const QImage &img) { return redDots(img) == 3; }, 2500));
}

void TestResumeE2E::faultsLeaveTheRunGoing_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("notice"); // a part of it
    QTest::newRow("garbage") << "garbage" << "壊れていたため";
    QTest::newRow("another Tavrin") << "another" << "別の Tavrin";
    QTest::newRow("vanishes") << "vanishes" << "なくなった";
}

void TestResumeE2E::faultsLeaveTheRunGoing()
{
    QFETCH(QString, fault);
    QFETCH(QString, notice);
    const QString file = QDir(dir_->path()).filePath(u"Tavrin-record.sqlite"_qs);
    if (fault == "garbage") {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(20000, 'x'));
    }
    e2e::Program first(dir_->path());
    if (fault == "another")
        QVERIFY(first.start());
    e2e::Program program(dir_->path());
    QVERIFY(program.start());
    if (fault == "vanishes") {
        program.click(at::command1);
        QVERIFY(program.waitFor([](const QImage &img) { return redDots(img) == 1; }, 3000));
        QVERIFY(QFile::remove(file));
        // While the run goes on the notice waits off the dots, in the
        // control strip; a pause shows it.
        QTRY_VERIFY_WITH_TIMEOUT(latest(dir_->path(), "notice", "detail").toString().contains(notice), 4000);
        QVERIFY(program.waitForWindow(u"^Tavrin$"_qs, 500).isEmpty());
        program.click(at::command2);
    }
    const QString box = program.waitForWindow(u"^Tavrin$"_qs, 4000);
    QVERIFY(!box.isEmpty());
    QImage::fromData(e2e::run(u"import"_qs, {u"-window"_qs, box, u"png:-"_qs}), "PNG")
        .save(QStringLiteral("journal-fault-%1.png").arg(fault));
    // A fresh journal records the notice it was given; a second Tavrin
    // records nothing.
    if (fault != "another")
        QVERIFY2(latest(dir_->path(), "notice", "detail").toString().contains(notice), qPrintable(notice));
    program.keyTo(box, u"Return"_qs);
    program.click(fault == "vanishes" ? at::command2 : at::command1);
    // The run goes on: dots keep coming.
    QVERIFY(program.waitFor([](const QImage &img) { return redDots(img) == 3; }, 5000));
}

// SIGTERM and SIGHUP (a logout, a shutdown) end the program in order: the
// journal says so, and the run under way is offered back at the next start.
void TestResumeE2E::endedBySystem()
{
    {
        e2e::Program program(dir_->path());
        startRun(program, nullptr);
        QCOMPARE(::kill(pid_t(program.process().processId()), SIGTERM), 0);
        QVERIFY(program.waitForExit(5000));
        QCOMPARE(program.process().exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.process().exitCode(), 0);
    }
    QVERIFY(latest(dir_->path(), "system-end", "detail").toString().contains(u"SIGTERM"_qs));
    // Ended again while the question waits (SIGHUP): the question was not
    // answered, so the run is still there to be asked about.
    for (int signal : {SIGHUP, 0}) {
        e2e::Program again(dir_->path());
        QVERIFY(again.launch());
        QVERIFY(!again.waitForWindow(kQuestion, 10000).isEmpty());
        if (signal) {
            QCOMPARE(::kill(pid_t(again.process().processId()), signal), 0);
            QVERIFY(again.waitForExit(5000));
            QCOMPARE(again.process().exitCode(), 0);
        }
    }
}

QTEST_GUILESS_MAIN(TestResumeE2E)
#include "tst_resume_e2e.moc"
