// The sound check as heard on a null sink of its own: the four cues in
// order, the built-in one for a missing file, and not while a run is under way.
#include "cue_synth.h"
#include "engine.h"
#include "form1.h"
#include "sound_bank.h"
#include "sound_check.h"
#include "sound_probe.h"
#include "window_rig.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace tavrin;

class TestSoundCheck : public QObject {
    Q_OBJECT
private slots:
    void fourCuesInOrderWithWhatWasPlayed();
};

void TestSoundCheck::fourCuesInOrderWithWhatWasPlayed()
{
    probe::PulseSink pulse;
    QString why = pulse.start();
    probe::Recorder rec(pulse.monitor());
    if (why.isEmpty())
        why = rec.start();
    if (!why.isEmpty()) {
        // Where the test command started a server, a missing one is a fault.
        if (qEnvironmentVariableIntValue("TAVRIN_REQUIRE_SOUND") == 1)
            QFAIL(qPrintable(why));
        QSKIP(qPrintable(why));
    }

    // The shipped cues in the working folder, but the end-of-answering one is missing.
    QTemporaryDir dir;
    for (const char *name : {texts::defaultCue1, texts::defaultCue3, texts::chimeCue})
        QVERIFY(QFile::copy(QStringLiteral(TAVRIN_CUE_DIR "/") + QLatin1String(name),
                            dir.filePath(QLatin1String(name))));
    const QString start = QDir::currentPath();
    QDir::setCurrent(dir.path());

    testing::WindowRig rig;
    SoundBank bank;
    const char *names[] = {texts::defaultCue1, texts::defaultCue2, texts::defaultCue3, texts::chimeCue};
    for (int n = 1; n <= 4; ++n) {
        bank.setNotify(n, true);
        bank.setFileName(n, QLatin1String(names[n - 1]));
        bank.command(n, PlayerCommand::Open);
    }
    QObject::connect(&bank, &SoundBank::done, &bank, [&rig](int n) { rig.engine.MMControl_done(n); });
    SoundCheck check(bank, rig.engine, rig.form);
    rig.engine.addObserver(&check);
    check.addActionTo(rig.form);
    QAction *action = rig.form.actions().constLast();
    QVERIFY(action->isEnabled());
    QSignalSpy checked(&check, &SoundCheck::checked);

    const std::size_t since = rec.size();
    action->trigger();
    QVERIFY(checked.wait(4 * SoundCheck::cueLimitMs));
    // The last of the chime reaches the monitor.
    QTRY_VERIFY_WITH_TIMEOUT(probe::soundsEnded(rec, since, 4, 100), 3000);
    rec.stop();
    QDir::setCurrent(start);

    for (int n : {1, 3, 4})
        QVERIFY2(check.outcome(n).contains(u"設定のファイル"_qs), qPrintable(check.outcome(n)));
    const QString second = check.outcome(2);
    QVERIFY2(second.contains(u"内蔵の合図音"_qs) && second.contains(u"Tavrin-Jihou2.wav: 見つかりません"_qs),
             qPrintable(second));

    const std::vector<std::int16_t> all = rec.samples();
    const auto heard = probe::heardSounds(std::span(all).subspan(std::min(since, all.size())));
    QCOMPARE(heard.size(), std::size_t(4));
    for (int n = 1; n <= 4; ++n) {
        const probe::Match m = probe::compare(heard[std::size_t(n - 1)], cues::synthesize(cues::Cue(n)));
        QVERIFY2(m.sameSound(), qPrintable(QStringLiteral("cue %1: ").arg(n) + m.describe()));
    }

    // During a run it is not offered, and asked all the same it plays nothing.
    rig.engine.Command1_Click();
    QVERIFY(!action->isEnabled());
    check.start();
    QVERIFY(!check.playing());
    rig.engine.Command2_Click();
    rig.engine.Command1_Click(); // paused, then reset
    QVERIFY(action->isEnabled());
}

QTEST_MAIN(TestSoundCheck)
#include "tst_sound_check.moc"
