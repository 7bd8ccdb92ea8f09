// The sound server stops in the middle of an examination and comes back 3 s
// later, as a desktop's does on a device change: the program goes on, and
// the cues after the server is back are heard. Restarts the PulseAudio
// server of the test command, so it runs alone (RUN_SERIAL) and starts the
// server again whatever happens.
#include "click_points.h"
#include "e2e_support.h"
#include "process.h"
#include "require.h"
#include "sound_probe.h"

#include <QTemporaryDir>
#include <QTest>
#include <QThread>

namespace at = tavrin::testing::at;

namespace {
QString script(const char *name)
{
    return QStringLiteral(TAVRIN_SOURCE_DIR "/scripts/") + QLatin1String(name);
}

// Up again at the end, even after a failure.
struct ServerBack {
    ~ServerBack() { tavrin::testing::runTool(QStringLiteral("sh"), {script("pulse-start.sh")}, 20000); }
};
} // namespace

class TestSoundRestartE2E : public QObject {
    Q_OBJECT
private slots:
    void cuesComeBackAfterTheServerRestarts();
};

void TestSoundRestartE2E::cuesComeBackAfterTheServerRestarts()
{
    TAVRIN_NEED("TAVRIN_REQUIRE_DISPLAY", e2e::missingDisplay());
    TAVRIN_NEED("TAVRIN_REQUIRE_SOUND", e2e::missingSound());
    QVERIFY2(!qEnvironmentVariableIsEmpty("TAVRIN_PULSE_DIR"), "needs the server of scripts/services.sh");

    QTemporaryDir dir;
    e2e::copyCues(dir.path());
    // Four questions of 3 + 2 s: cues at 0, 1, 2, 5, 6, 7, 10, 11, 12, 15, 16, 17 s and the end.
    e2e::writeSettings(dir.path(), {u"3,2,4"_qs, u"Tavrin-Jihou1.wav"_qs, u"Tavrin-Jihou2.wav"_qs,
                                    u"Tavrin-Jihou3.wav"_qs, u"移動してください"_qs, u"試験終了"_qs, u"10"_qs,
                                    u"0"_qs});
    e2e::Program program(dir.path());
    QVERIFY(program.start());
    ServerBack back;
    program.click(at::command1);

    QThread::msleep(3500); // between the third and the fourth cue
    QVERIFY(tavrin::testing::runTool(QStringLiteral("sh"), {script("pulse-stop.sh")}, 20000).ok);
    QThread::msleep(3000);
    QVERIFY(program.running());
    QVERIFY(tavrin::testing::runTool(QStringLiteral("sh"), {script("pulse-start.sh")}, 20000).ok);

    tavrin::probe::Recorder recorder(e2e::sinkMonitor());
    const QString noRecorder = recorder.start();
    QVERIFY2(noRecorder.isEmpty(), qPrintable(noRecorder));
    QThread::msleep(14000); // to the end and its sound
    recorder.stop();
    QVERIFY(program.running());
    e2e::closeNotices();

    // The server takes seconds to come up and the output opens a tick
    // before a cue: the third question's cues may come before it is back.
    const std::vector<e2e::Burst> heard = e2e::bursts(recorder.samples());
    QStringList when;
    for (const e2e::Burst &b : heard)
        when << QString::number(b.start, 'f', 2);
    qInfo("heard after the restart at %s s", qPrintable(when.join(u' ')));
    // At least the fourth question's three and the end.
    QVERIFY2(heard.size() >= 4, qPrintable(QStringLiteral("%1 cues heard after the restart").arg(heard.size())));
}

QTEST_GUILESS_MAIN(TestSoundRestartE2E)
#include "tst_sound_restart_e2e.moc"
